#pragma once
#include "shell/cli/SystemFacts.h"

namespace shell::cli {

// Something that stops a serial adapter from working on this machine, and what to do about it.
struct Finding {
    QString problem; // one sentence
    QString fix;     // one sentence
};

// Every finding the facts show, in the order a technician should deal with them; none when
// nothing is wrong.
QList<Finding> diagnose(const SystemFacts& facts);

} // namespace shell::cli
