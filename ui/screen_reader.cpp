#include "ui/screen_reader.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <vector>

#include "core/result_text.hpp"
#include "core/texts.hpp"

namespace tavix::ui {

namespace {

const char* const kNotificationName = "notification";
const char* const kColumnProperty = "tavixTableColumn";
const char* const kTableProperty = "tavixTable";

class FactorTableAccessible;

// One row of one column: its value as shown, where it is shown.
class FactorCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    FactorCellAccessible(FactorTableAccessible* table, int row, int column, QString value)
        : table_(table), row_(row), column_(column), value_(std::move(value)) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? value_ : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

  private:
    FactorTableAccessible* table_;
    int row_;
    int column_;
    QString value_;
};

// The factorization as a table: two columns, a row for each line the columns show.
class FactorTableAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit FactorTableAccessible(QWidget* table)
        : QAccessibleWidget(table, QAccessible::Table, QStringLiteral("Fatoração")) {}
    ~FactorTableAccessible() override { dropCells(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QRect rect() const override {
        QRect area;
        for (QLabel* column : columns()) {
            area |= QRect(column->mapToGlobal(QPoint(0, 0)), column->size());
        }
        return area;
    }

    int childCount() const override { return static_cast<int>(cells().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto& all = cells();
        return index >= 0 && index < static_cast<int>(all.size()) ? all[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto& all = cells();
        const auto found = std::find(all.begin(), all.end(), child);
        return found == all.end() ? -1 : static_cast<int>(found - all.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* cell : cells()) {
            if (cell->rect().contains(x, y)) {
                return cell;
            }
        }
        return nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= rowCount() || column < 0 || column > 1) {
            return nullptr;
        }
        return cells()[static_cast<std::size_t>(row * 2 + column)];
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override {
        return column == 0   ? QStringLiteral("Quocientes")
               : column == 1 ? QStringLiteral("Fatores")
                             : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return 2; }
    int rowCount() const override { return static_cast<int>(cells().size() / 2); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // Where row `row` of `column` is drawn: the label's lines, from its top.
    QRect cellRect(int row, int column) const {
        QLabel* label = columns()[static_cast<std::size_t>(column)];
        const QRect inside = label->contentsRect();
        const int height = QFontMetrics(label->font()).lineSpacing();
        const QPoint topLeft = label->mapToGlobal(QPoint(inside.left(), inside.top()));
        return {topLeft.x(), topLeft.y() + row * height, inside.width(), height};
    }

    // Drops the cells, telling assistive technology; the next question makes them anew.
    void rowsChanged() {
        const bool listened = QAccessible::isActive();
        for (QAccessibleInterface* cell : listened ? cells_ : decltype(cells_)()) {
            QAccessibleEvent gone(cell, QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&gone);
        }
        dropCells();
        for (QAccessibleInterface* cell : listened ? cells() : decltype(cells_)()) {
            QAccessibleEvent added(cell, QAccessible::ObjectCreated);
            QAccessible::updateAccessibility(&added);
        }
    }

  private:
    std::vector<QLabel*> columns() const {
        std::vector<QLabel*> found(2, nullptr);
        for (QLabel* label : widget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            const QVariant column = label->property(kColumnProperty);
            if (column.isValid()) {
                found[static_cast<std::size_t>(column.toInt())] = label;
            }
        }
        return found;
    }

    const std::vector<QAccessibleInterface*>& cells() const {
        if (!made_) {
            made_ = true;
            const auto columnsShown = columns();
            const QStringList quotients = rowsOf(columnsShown[0]);
            const QStringList factors = rowsOf(columnsShown[1]);
            const int rows = static_cast<int>(std::max(quotients.size(), factors.size()));
            auto* self = const_cast<FactorTableAccessible*>(this);
            for (int row = 0; row < rows; ++row) {
                cells_.push_back(new FactorCellAccessible(self, row, 0, quotients.value(row)));
                cells_.push_back(new FactorCellAccessible(self, row, 1, factors.value(row)));
            }
        }
        return cells_;
    }

    static QStringList rowsOf(const QLabel* label) {
        return label->text().isEmpty() ? QStringList() : label->text().split(QChar('\n'));
    }

    void dropCells() {
        for (QAccessibleInterface* cell : cells_) {
            // The accessibility cache owns an interface once it has handed it out.
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cell));
        }
        cells_.clear();
        made_ = false;
    }

    mutable std::vector<QAccessibleInterface*> cells_;
    mutable bool made_ = false;
};

QWindow* FactorCellAccessible::window() const {
    return table_->window();
}
QAccessibleInterface* FactorCellAccessible::parent() const {
    return table_;
}
QAccessibleInterface* FactorCellAccessible::table() const {
    return table_;
}
QRect FactorCellAccessible::rect() const {
    return table_->cellRect(row_, column_);
}

// The announcer's status bar is never shown to a review of the screen: it has no size.
class AnnouncerAccessible : public QAccessibleWidget {
  public:
    explicit AnnouncerAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StatusBar) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface* screenReaderAccessible(const QString& className, QObject* object) {
    if (!object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(Announcer::staticMetaObject.className())) {
        return new AnnouncerAccessible(widget);
    }
    if (className == QLatin1String("QWidget") && qobject_cast<Announcer*>(widget->parent()) &&
        widget->objectName() == QLatin1String(kNotificationName)) {
        return new QAccessibleWidget(widget, QAccessible::Notification);
    }
    if (widget->property(kTableProperty).toBool()) {
        return new FactorTableAccessible(widget);
    }
    return nullptr;
}

void installScreenReaderAccessibility() {
    static const bool installed = (QAccessible::installFactory(screenReaderAccessible), true);
    Q_UNUSED(installed);
}

}  // namespace

Announcer::Announcer(QWidget* window) : QWidget(window) {
    installScreenReaderAccessibility();
    setObjectName(QStringLiteral("announcer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    notification_ = new QWidget(this);
    notification_->setObjectName(QString::fromLatin1(kNotificationName));
    notification_->setGeometry(0, 0, 0, 0);
    notification_->hide();
}

void Announcer::announce(const QString& text) {
    notification_->hide();
    notification_->setAccessibleName(text);
    notification_->show();
    ++count_;
}

QString Announcer::lastText() const {
    return notification_->accessibleName();
}

QString listingSummary(const ResultText& text, int limit) {
    const auto wanted = static_cast<std::uint64_t>(std::max(limit, 0));
    if (text.length() <= wanted) {
        return QString::fromStdString(text.toString());
    }
    // The first `limit` characters, then back to the end of the last whole number.
    const std::string head = text.slice(0, text.byteOffset(wanted));
    const std::size_t comma = head.rfind(", ");
    const std::size_t colon = head.find(": ");
    const std::size_t end = comma != std::string::npos && comma > colon ? comma : head.size();
    return QString::fromStdString(head.substr(0, end));
}

QString factorizationSummary(const std::string& quotients, const std::string& factors) {
    const QChar separator{static_cast<char16_t>(kRowSeparator)};
    const QStringList divisors =
        QString::fromStdString(factors).split(separator, Qt::SkipEmptyParts);
    const QStringList numbers =
        QString::fromStdString(quotients).split(separator, Qt::SkipEmptyParts);
    if (divisors.isEmpty() && numbers.isEmpty()) {
        return {};
    }
    const QString number = numbers.isEmpty() ? divisors.front() : numbers.front();
    return number + QStringLiteral(": ") + divisors.join(QStringLiteral(", "));
}

void presentAsTable(QWidget* table, QWidget* quotients, QWidget* factors) {
    installScreenReaderAccessibility();
    table->setProperty(kTableProperty, true);
    quotients->setProperty(kColumnProperty, 0);
    factors->setProperty(kColumnProperty, 1);
    table->setAttribute(Qt::WA_TransparentForMouseEvents);
    table->setFocusPolicy(Qt::NoFocus);
}

void tableRowsChanged(QWidget* table) {
    if (auto* accessible =
            dynamic_cast<FactorTableAccessible*>(QAccessible::queryAccessibleInterface(table))) {
        accessible->rowsChanged();
    }
}

}  // namespace tavix::ui
