// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/artwork.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <map>
#include <string>

// The resources live in a static library: nothing would pull them in otherwise.
static void loadArtworkResources()
{
    Q_INIT_RESOURCE(artwork);
}

QPixmap artworkPixmap(std::string_view name, QSize size, qreal devicePixelRatio)
{
    static const bool loaded = (loadArtworkResources(), true);
    (void)loaded;
    const QString path =
        QStringLiteral(":/art/%1.svg").arg(QLatin1String(name.data(), name.size()));
    QSvgRenderer renderer(path);
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

namespace {

// Renders a size only when a window system asks for it: the offscreen platform and
// desktops that draw no window icons never pay for it.
class ArtworkIconEngine : public QIconEngine {
public:
    explicit ArtworkIconEngine(std::string_view name) : name_(name) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const auto key = std::pair(size.width(), size.height());
        auto found = rendered_.find(key);
        if (found == rendered_.end())
            found = rendered_.emplace(key, artworkPixmap(drawingFor(size), size, 1.0)).first;
        return found->second;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32),
                QSize(48, 48), QSize(64, 64), QSize(128, 128)};
    }

    QIconEngine* clone() const override { return new ArtworkIconEngine(*this); }

private:
    // Small sizes have drawings of their own: the large one scaled down blurs its digits.
    std::string_view drawingFor(QSize size) const
    {
        if (name_ != "moltiplix") return name_;
        if (size.width() <= 16) return "moltiplix-16";
        if (size.width() <= 24) return "moltiplix-24";
        return name_;
    }

    std::string name_;
    std::map<std::pair<int, int>, QPixmap> rendered_;
};

QCursor cursorFrom(std::string_view name, int side, QPoint hotSpot, qreal devicePixelRatio)
{
    const qreal ratio = std::max<qreal>(1.0, std::ceil(devicePixelRatio));
    return QCursor(artworkPixmap(name, QSize(side, side), ratio), hotSpot.x(), hotSpot.y());
}

} // namespace

QIcon applicationIcon()
{
    return QIcon(new ArtworkIconEngine("moltiplix"));
}

QCursor gamePointer(qreal devicePixelRatio)
{
    return cursorFrom("pointer", 48, QPoint(8, 8), devicePixelRatio);
}

QCursor iconPointer(qreal devicePixelRatio)
{
    return cursorFrom("icon-pointer", 32, QPoint(16, 16), devicePixelRatio);
}
