#pragma once
#include <QByteArray>
#include <chrono>

namespace sim {

// Ways a device (or the line to it) lets the tool down, switched on by a test or by hand. Each
// holds for every answer until it is switched off again.
struct Misbehaviour {
    bool silent = false;                        // answers nothing at all (frames are still recorded)
    bool wrongEndByte = false;                  // standard and long replies end in '$' instead of '#'
    QByteArray strayBytes;                      // sent in front of every answer
    int pieceSize = 0;                          // > 0: an answer goes out in pieces of this many bytes
    std::chrono::milliseconds pieceDelay{0};    //   with this pause before every piece after the first
    bool refuseAcknowledgement = false;         // "*X#" where "*U#" belongs
    bool overlongDebugLog = false;              // the log answer announces H = 6 (1536 bytes and more)
    bool closeMidAnswer = false;                // the pty is closed after half of the next answer
    bool bootLoaderOnly = false;                // a QMR51 whose transfer broke off: its boot loader takes
                                                //   firmware frames and answers nothing else, until an
                                                //   accepted image restarts it
};

} // namespace sim
