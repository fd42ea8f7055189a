// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/accessiblelabel.h"

#include "platform/qt/captionlabel.h"

#include <QAccessibleWidget>

namespace {

class AccessibleCaptionLabel : public QAccessibleWidget {
public:
    explicit AccessibleCaptionLabel(CaptionLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        auto* label = static_cast<CaptionLabel*>(widget());
        if (kind != QAccessible::Name) return QAccessibleWidget::text(kind);
        return QString::fromStdString(label->spokenName());
    }
};

} // namespace

QAccessibleInterface* captionLabelAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("CaptionLabel") && object && object->isWidgetType())
        return new AccessibleCaptionLabel(static_cast<CaptionLabel*>(object));
    return nullptr;
}
