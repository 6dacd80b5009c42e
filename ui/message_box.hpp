// The program's message boxes: modal, titled "Tavix", an OK button only, one icon.
#pragma once

#include <QString>

#include "core/window.hpp"

class QWidget;

namespace tavix::ui {

inline constexpr char kMessageTitle[] = "Tavix";

// The icon in words, for assistive technology, which is not shown the picture.
QString accessibleIconName(MessageIcon icon);

// Shows the box over the parent and returns when the user has closed it.
void showMessageBox(QWidget* parent, const QString& text, MessageIcon icon);

}  // namespace tavix::ui
