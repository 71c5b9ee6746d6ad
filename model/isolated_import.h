// Importing untrusted model files in a child process. Some files make the import library loop
// forever or abort the process through its own assertions; the viewer must outlive every such
// file. The child imports and sends the plain records back through a pipe; the parent waits for
// them with a deadline, kills a child that overruns it and names a child that died.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/import.h"

// How long an import may take before the child is killed.
constexpr int importTimeoutSeconds = 20;

using ImportFunction =
    std::function<bool(const std::string& path, ImportedModel& out, std::string& error)>;

// Imports in this process: PLY files with triangle strips through ReadPlyTriStrips, every
// other format through ImportWithAssimp.
bool ImportInProcess(const std::string& path, ImportedModel& out, std::string& error);

// ImportInProcess in a child process. False with a reason in error when the import fails, when
// the child dies ("the importer crashed (signal 6) on this file") or when it takes more than
// timeoutSeconds ("the import took more than 20 s"); out is then left empty.
bool ImportIsolated(const std::string& path, ImportedModel& out, std::string& error,
                    int timeoutSeconds = importTimeoutSeconds);
// The same with any import function run in the child (tests give one that crashes or hangs).
bool ImportIsolatedWith(const ImportFunction& import, const std::string& path, ImportedModel& out,
                        std::string& error, int timeoutSeconds);

// The form in which the child sends its answer: either a whole model or the import's error.
// Both ends run on one machine, so numbers travel in the host's own byte order.
std::string SerializeImportResult(bool imported, const ImportedModel& model,
                                  const std::string& error);
// Reads an answer, checking every count against the bytes left and every index against the
// lists it names. False with what is wrong in streamError when the bytes are not a well-formed
// answer; otherwise imported and, as the answer says, the model or the import's error.
bool DeserializeImportResult(std::string_view bytes, bool& imported, ImportedModel& model,
                             std::string& importError, std::string& streamError);
