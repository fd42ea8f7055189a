#include "platform/qt/artwork.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

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

QIcon applicationIcon()
{
    QIcon icon;
    // Title bars use the 16 px icon: the scaled-down drawing blurs its digits there.
    icon.addPixmap(artworkPixmap("moltiplix-16", QSize(16, 16), 1.0));
    for (int side : {32, 48, 64, 128})
        icon.addPixmap(artworkPixmap("moltiplix", QSize(side, side), 1.0));
    return icon;
}

namespace {

QCursor cursorFrom(std::string_view name, int side, QPoint hotSpot, qreal devicePixelRatio)
{
    const qreal ratio = std::max<qreal>(1.0, std::ceil(devicePixelRatio));
    return QCursor(artworkPixmap(name, QSize(side, side), ratio), hotSpot.x(), hotSpot.y());
}

} // namespace

QCursor gamePointer(qreal devicePixelRatio)
{
    return cursorFrom("pointer", 48, QPoint(8, 8), devicePixelRatio);
}

QCursor iconPointer(qreal devicePixelRatio)
{
    return cursorFrom("icon-pointer", 32, QPoint(16, 16), devicePixelRatio);
}
