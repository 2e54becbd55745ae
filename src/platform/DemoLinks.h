#pragma once
#include "platform/PortListing.h"
#include <QString>

namespace platform {

// A demo's entries in <program folder>/ports. The demo of earlier versions (the window's --demo)
// offered its simulated module as a link COM<n> to a pseudo-terminal /dev/pts/N, with a note
// COM<n>.demo beside it naming the process that made it; the note was written before the link and
// removed after it, so every link a demo made has its note. Today's demo runs inside the tool and
// makes no link. Everything else in ports/ is the user's and is never removed or replaced.
//
// A demo that ends without stopping (kill -9, a crash) leaves its link behind, and the system soon
// hands /dev/pts/N to someone's next terminal: a port search that opened it would write
// identification frames into that terminal. Such a link is a leftover: its note names a process
// that is gone and the link still leads to a pseudo-terminal.

// ports/COM<n>.demo for the link ports/COM<n>.
QString demoNotePath(const QString& linkPath);

// Writes the note of linkPath naming process pid, complete or not at all. False when it cannot.
bool writeDemoNote(const QString& linkPath, qint64 pid);

// True for a leftover demo link (see above), whether the pseudo-terminal it leads to is still
// there or not. A link whose note names a running process, a link to anything but a
// pseudo-terminal, and a link without a note are no leftovers. Port listings skip leftovers.
bool isLeftoverDemoLink(const QString& linkPath);

// Removes the leftover demo links of programFolder/ports and the notes of demos that are gone;
// a note stays only while its process runs or while a link it names could not be removed. Returns
// how many links went.
int removeLeftoverDemoLinks(const QString& programFolder);

// The lowest port number the demo may take: no port of `ports` has it, and neither ports/COM<n> (a
// link to an unplugged adapter holds its number, whether it leads anywhere or not) nor a note
// ports/COM<n>.demo exists, nor does a remembered adapter own it (a link would win its number for
// good). 0 when 1 ... 255 are all held.
int freeDemoPortNumber(const QString& programFolder, PortListing& ports);

} // namespace platform
