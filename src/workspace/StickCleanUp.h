#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "workspace/Outcome.h"
#include "workspace/StickVerification.h"

#include <string>
#include <vector>

namespace tonarion {

inline constexpr const char* CleanUpQuestion =
    "Diese Dateien und Ordner werden vom USB-Stick gelöscht:";
inline constexpr const char* CleanUpQuestionEnd = "Sollen sie jetzt gelöscht werden?";
inline constexpr const char* CleanUpFailedMessage =
    "Diese Dateien und Ordner konnten nicht gelöscht werden:";

// What the clean-up would delete of these findings: only what they mark removable, and of
// that never a name the module plays, nor one the index file or the table names.
std::vector<StickProblem> removableFindings(const Session& session,
                                            const std::vector<StickProblem>& found);

// "Bereinigen": names what removableFindings leaves of found, asks, and deletes it. Refused
// when there is nothing to delete or the user answers No; failed, with what stayed, when a
// deletion does.
Outcome cleanUpStick(Session& session, FileOperations& files, UserInterface& ui,
                     const std::vector<StickProblem>& found);

} // namespace tonarion
