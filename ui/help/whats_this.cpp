#include "ui/help/whats_this.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTextEdit>
#include <QWidget>

namespace {

bool isControl(const QWidget* w) {
    if (qobject_cast<const QScrollBar*>(w) || qobject_cast<const QHeaderView*>(w)) return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTabBar*>(w);
}

// Inside another control (a spin box's edit, a combo box's list, a tab
// bar's scroll arrows), or one of Qt's own helper widgets.
bool isPartOfAnotherControl(const QWidget* w) {
    if (w->objectName().startsWith(QLatin1String("qt_"))) return true;
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (isControl(p)) return true;
    return false;
}

QString shownText(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    return {};
}

void collect(const QWidget* w, QList<QWidget*>& missing) {
    if (needsHelpText(w) && w->whatsThis().trimmed().isEmpty()) missing << const_cast<QWidget*>(w);
    for (QObject* child : w->children())
        if (auto* cw = qobject_cast<QWidget*>(child); cw && !cw->isWindow()) collect(cw, missing);
}

}  // namespace

void setHelpText(QWidget* widget, const char* text) {
    if (widget) widget->setWhatsThis(QString::fromUtf8(text));
}

bool setHelpText(QObject* parent, const char* objectName, const char* text) {
    auto* widget = parent ? parent->findChild<QWidget*>(QString::fromLatin1(objectName)) : nullptr;
    setHelpText(widget, text);
    return widget != nullptr;
}

bool needsHelpText(const QWidget* widget) {
    return widget && isControl(widget) && !isPartOfAnotherControl(widget);
}

QString describeControl(const QWidget* w) {
    if (!w) return {};
    return QStringLiteral("%1 %2 \"%3\"").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                              shownText(w));
}

QList<QWidget*> controlsWithoutHelpText(const QWidget* root) {
    QList<QWidget*> missing;
    if (root) collect(root, missing);
    return missing;
}
