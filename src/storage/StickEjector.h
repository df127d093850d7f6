#pragma once

#include <string>

namespace tonarion {

enum class EjectOutcome {
    Ejected,   // the file system is off the stick: it may be pulled
    Busy,      // another program still has a file of the stick open
    NotAStick, // the system knows no removable medium whose root this is
    Failed,    // the system refused for another reason, given in its own words
};

struct EjectResult {
    EjectOutcome outcome = EjectOutcome::Failed;
    // What the system said, for the user to pass on to whoever helps them; may be empty.
    std::string reason;
};

// Asks the operating system to let go of a stick, so that it can be pulled without harm:
// UDisks2 on Linux, the configuration manager on Windows. Nothing of this program may hold a
// file of the stick open while it runs.
class StickEjector {
public:
    virtual ~StickEjector() = default;
    // stickRoot as the session holds it, ending in its separator ("E:\", "/media/anna/SOUNDS/").
    virtual EjectResult eject(const std::string& stickRoot) = 0;
};

} // namespace tonarion
