// Saving a result text to a file, whole or not at all: the text goes to a new file in the
// same folder, is flushed to the disk, and only then takes the target's name, in one step.
// A cancel or any failure removes the new file and leaves an existing target as it was.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/result_text.hpp"

namespace tavix::ui {

// Shared between the thread that saves and the one that watches.
struct SaveControl {
    std::atomic<std::uint64_t> written{0};  // bytes written so far
    std::atomic<bool> cancel{false};        // asks the save to stop
};

struct SaveOutcome {
    enum class Status { Saved, Cancelled, Failed };
    Status status = Status::Saved;
    int error = 0;  // the system's error number, when the save failed
    // The folder is there but its disk refuses the file's name (a stick refusing ':').
    bool nameRefused = false;
};

// Writes `text` to `path` (UTF-8, exactly its bytes). Checks `control.cancel` between chunks.
SaveOutcome saveText(const ResultTextPtr& text, const std::string& path, SaveControl& control);

// Why a save failed, in Portuguese, and what the user can do about it: "não há espaço livre no
// disco"… Only an error no user can meet is told by its number, beside the system's own words.
std::string saveFailureCause(const SaveOutcome& failure);

}  // namespace tavix::ui
