#include "ui/pages/field_binder.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/widgets/numeric_entry.h"

namespace {

// The What's This text of a field, from its description: the label shown,
// what kind of value it is, its unit and the range an entry must lie in.
QString fieldHelpText(const ParameterField& f, const QString& label, const QString& range, bool celsius) {
    const QString unit = QString::fromUtf8(FieldDisplayUnit(f, celsius));
    QString text = label + QStringLiteral("\n\n");
    switch (f.kind) {
    case FieldKind::Temperature:
        text += QStringLiteral("A temperature in %1 (the global setup chooses Celsius or Fahrenheit). ").arg(unit);
        break;
    case FieldKind::TemperatureDifference:
        text += QStringLiteral("A temperature difference in %1 (in Fahrenheit it is shown x 1.8). ").arg(unit);
        break;
    case FieldKind::SampleCount:
        text += QStringLiteral("A time in seconds. The regulator holds it as a whole number of samples of "
                               "the sampling time ts, so the entry is rounded down to whole samples; at "
                               "least one sample. ");
        break;
    case FieldKind::Plain:
        text += unit.isEmpty() ? QStringLiteral("A number without a unit. ")
                               : QStringLiteral("A value in %1. ").arg(unit);
        break;
    }
    if (f.readOnly)
        return text + QStringLiteral("The regulator's own value: \"Get parameters\" reads it from the regulator; "
                                     "a download never writes it, so it cannot be edited here.\n\nField %1 of "
                                     "the parameter set.")
                          .arg(QString::fromLatin1(f.name));
    if (f.kind != FieldKind::SampleCount) text += range + QStringLiteral(". ");
    text += QStringLiteral("An entry outside the range is marked red and not stored.\n\nField %1 of the "
                           "parameter set.")
                .arg(QString::fromLatin1(f.name));
    return text;
}

}  // namespace

FieldBinder::FieldBinder(ParameterSet* params, std::function<void()> modified, QObject* parent)
    : QObject(parent), params_(params), modified_(std::move(modified)) {}

NumericEdit* FieldBinder::addRow(QGridLayout* grid, int row, std::string_view name, int column,
                                 const char* label) {
    const ParameterField* f = FindParameterField(name);
    Q_ASSERT(f);
    QWidget* parent = grid->parentWidget();
    auto* caption = new QLabel(QString::fromUtf8(label ? label : f->label), parent);
    auto* edit = new NumericEdit(parent);
    edit->setObjectName(QString::fromLatin1(f->name));
    edit->setPrecision(f->precision());
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.0000000")) + 12);
    caption->setBuddy(edit);
    if (f->readOnly) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);  // selectable, but not a stop of the tab order
        // On the window's ground, not an entry's: it looks like what it is.
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
    }
    grid->addWidget(caption, row, column);
    grid->addWidget(edit, row, column + 1);
    QLabel* unit = nullptr;
    if (f->kind != FieldKind::SampleCount && f->unit[0] != '\0') {
        unit = new QLabel(parent);
        grid->addWidget(unit, row, column + 2);
    }
    bindings_.push_back({f, edit, caption, unit, std::nullopt});
    const std::size_t index = bindings_.size() - 1;
    connect(edit, &QLineEdit::textEdited, this, [this, index] { onEdited(bindings_[index]); });
    // Leaving an edit whose entry was refused shows the stored value again.
    connect(edit, &QLineEdit::editingFinished, this, [this, index] {
        Binding& b = bindings_[index];
        if (b.edit->property("outOfRange").toBool()) show(b);
        b.before.reset();
    });
    show(bindings_.back());
    return edit;
}

const FieldBinder::Binding* FieldBinder::find(std::string_view name) const {
    for (const Binding& b : bindings_)
        if (name == b.field->name) return &b;
    return nullptr;
}

NumericEdit* FieldBinder::edit(std::string_view name) const {
    const Binding* b = find(name);
    return b ? b->edit : nullptr;
}

QLabel* FieldBinder::label(std::string_view name) const {
    const Binding* b = find(name);
    return b ? b->label : nullptr;
}

QLabel* FieldBinder::unit(std::string_view name) const {
    const Binding* b = find(name);
    return b ? b->unit : nullptr;
}

void FieldBinder::setFieldEnabled(std::string_view name, bool on) {
    if (const Binding* b = find(name)) {
        b->label->setEnabled(on);
        b->edit->setEnabled(on);
        if (b->unit) b->unit->setEnabled(on);
    }
}

void FieldBinder::setFieldVisible(std::string_view name, bool on) {
    if (const Binding* b = find(name)) {
        b->label->setVisible(on);
        b->edit->setVisible(on);
        if (b->unit) b->unit->setVisible(on);
    }
}

double FieldBinder::shownValue(const ParameterField& f) const {
    if (f.kind == FieldKind::SampleCount)
        return LoopSamplesToSeconds(static_cast<std::uint32_t>(f.value(*params_)), params_->ts);
    return FieldToDisplay(f, f.value(*params_), celsius_);
}

bool FieldBinder::storeEntry(const ParameterField& f, double shown) {
    double stored = 0;
    if (f.kind == FieldKind::SampleCount)
        stored = LoopSecondsToSamples(static_cast<float>(shown), params_->ts);
    else
        stored = FieldFromDisplay(f, shown, celsius_);
    if (!FieldAccepts(f, stored)) return false;
    f.setValue(*params_, stored);
    return true;
}

void FieldBinder::onEdited(Binding& b) {
    const ParameterField& f = *b.field;
    if (!b.before) b.before = f.value(*params_);
    const std::optional<double> entry = b.edit->entry();
    const bool stored = entry && storeEntry(f, *entry);
    markRange(b, !stored);
    if (!stored) {
        // "600" passed through 6 and 60 on the way: take them back.
        if (f.value(*params_) == *b.before) return;
        f.setValue(*params_, *b.before);
    }
    if (modified_) modified_();
    emit fieldStored(b.field);
}

void FieldBinder::show(Binding& b) {
    b.before.reset();
    b.edit->setValue(shownValue(*b.field));
    markRange(b, false);
    const ParameterField& f = *b.field;
    QString range;
    if (f.readOnly) {
        range = QStringLiteral("Read from the regulator");
    } else if (f.kind == FieldKind::SampleCount) {
        range = QStringLiteral("Seconds, stored as a count of samples (ts)");
    } else {
        range = QStringLiteral("Range %1 .. %2 %3")
                    .arg(numeric_entry::format(FieldToDisplay(f, f.min, celsius_), f.precision()),
                         numeric_entry::format(FieldToDisplay(f, f.max, celsius_), f.precision()),
                         QString::fromUtf8(FieldDisplayUnit(f, celsius_)))
                    .trimmed();
    }
    b.edit->setToolTip(range);
    b.edit->setWhatsThis(fieldHelpText(f, b.label->text(), range, celsius_));
    if (b.unit) b.unit->setText(QString::fromUtf8(FieldDisplayUnit(f, celsius_)));
}

void FieldBinder::markRange(const Binding& b, bool outside) {
    if (b.edit->property("outOfRange").toBool() == outside) return;
    b.edit->setProperty("outOfRange", outside);
    QPalette palette = b.edit->parentWidget() ? b.edit->parentWidget()->palette() : b.edit->palette();
    if (outside) palette.setColor(QPalette::Base, QColor(255, 214, 214));
    b.edit->setPalette(palette);
}

void FieldBinder::refresh() {
    for (Binding& b : bindings_) show(b);
}

void FieldBinder::setCelsius(bool on) {
    celsius_ = on;
    refresh();
}
