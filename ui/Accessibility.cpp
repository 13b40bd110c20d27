#include "Accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace Accessibility {
namespace {

// The role Describe gave the widget.
constexpr char RoleProperty[] = "pelorinAccessibleRole";

QAccessibleInterface* DescribedWidgets(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    const QVariant role = widget ? widget->property(RoleProperty) : QVariant();
    if (!role.isValid()) return nullptr;
    return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void Describe(QWidget* widget, QAccessible::Role role, const QString& name, const QString& description) {
    static const bool installed = [] {
        QAccessible::installFactory(DescribedWidgets);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(RoleProperty, static_cast<int>(role));
    if (!name.isEmpty()) widget->setAccessibleName(name);
    if (!description.isEmpty()) widget->setAccessibleDescription(description);
}

}  // namespace Accessibility
