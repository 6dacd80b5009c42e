// What a screen reader hears of the main window beyond its controls: the outcome of a
// computation, spoken where the focus stays, and the factorization as a table.
#pragma once

#include <QString>
#include <QWidget>

#include <string>

namespace tavix {
class ResultText;
}

namespace tavix::ui {

// Speaks a text through the screen reader without moving the focus and without showing
// anything. Qt has no announcement call on Linux; screen readers (Orca) speak an object of
// the notification role when it becomes showing. So the announcer is an empty, unpainted
// widget whose notification child is shown anew, named after the text, for every
// announcement; it sits in a status bar, which tells Orca to speak the text alone, without
// the word "notificação". Neither takes the focus, the mouse or any room on the screen.
class Announcer : public QWidget {
    Q_OBJECT
  public:
    explicit Announcer(QWidget* window);

    void announce(const QString& text);
    // The last text announced.
    QString lastText() const;
    // How many announcements were made.
    int count() const { return count_; }

  private:
    QWidget* notification_ = nullptr;
    int count_ = 0;
};

// What is spoken after a listing: its count line and the first primes, cut after the last
// whole number within about `limit` characters, never the whole of a long text.
QString listingSummary(const ResultText& text, int limit = 300);

// What is spoken after a factorization, from the two columns as shown (rows separated by
// `\r`): "360: 2, 2, 2, 3, 3, 5". Empty when both columns are empty.
QString factorizationSummary(const std::string& quotients, const std::string& factors);

// The factor columns `quotients` and `factors`, children of `table`, are presented to
// assistive technology as one table of two columns, "Quocientes" and "Fatores", whose cells
// are the rows as shown, so that a screen reader's review reads a row as the quotient beside
// its divisor. `table` paints nothing and lets every mouse event through.
void presentAsTable(QWidget* table, QWidget* quotients, QWidget* factors);

// Tells assistive technology that the rows of the table changed.
void tableRowsChanged(QWidget* table);

}  // namespace tavix::ui
