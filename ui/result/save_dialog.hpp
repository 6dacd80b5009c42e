// "Salvar como…": asks where to save the result, in a Portuguese dialog, and writes it there
// (UTF-8, exactly as shown) on a thread of its own. A save that lasts more than a moment shows
// its progress with "Cancelar". A failure is told to the caller's message sink, naming the
// file and the cause; an existing file is left as it was.
#pragma once

#include <QString>

#include "core/result_text.hpp"
#include "ui/result/result_message.hpp"

class QWidget;

namespace tavix::ui {

// The file the dialog offers first: primos.txt in the user's documents folder (the home
// folder when there is none).
QString defaultSavePath();

// Opens the dialog over `parent` and saves `text` where the user says, telling `tell` of a
// failure (no memory for the dialog included). Returns whether the file was saved.
bool saveResultAs(QWidget* parent, const ResultTextPtr& text, const ResultMessageSink& tell);

// Saves `text` to `path`, with the progress dialog over `parent`, telling `tell` of a failure.
bool saveResultTo(QWidget* parent, const ResultTextPtr& text, const QString& path,
                  const ResultMessageSink& tell);

// Stops a save under way, and any that would start, as the program ends: the unfinished file
// is removed and an existing one is left as it was.
void stopSaves();

}  // namespace tavix::ui
