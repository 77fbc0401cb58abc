// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/AttachedWindow.h"

#include "widgets/CompositorProbe.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRegion>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>

std::unique_ptr<AttachedWindow> AttachedWindow::create(QWidget* view, QPointF point,
                                                       AttachedSide side, qreal distance,
                                                       QWidget* window)
{
    if (!view)
        return nullptr;
    return std::unique_ptr<AttachedWindow>(
        new AttachedWindow(view, point, window, side, distance, Defaults{}));
}

AttachedWindow::AttachedWindow(QWidget* view, QPointF point, QWidget* window, AttachedSide side,
                               qreal distance, const Defaults& defaults)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), m_borderColor(defaults.borderColor),
      m_borderWidth(defaults.borderWidth), m_viewMargin(defaults.viewMargin),
      m_arrowBaseWidth(defaults.arrowBaseWidth), m_arrowHeight(defaults.arrowHeight),
      m_hasArrow(defaults.hasArrow), m_cornerRadius(defaults.cornerRadius),
      m_drawsRoundCornerBesideArrow(defaults.drawsRoundCornerBesideArrow),
      m_backgroundColor(defaults.backgroundColor), m_view(view), m_window(window), m_point(point),
      m_side(side), m_distance(distance), m_viewOwner(view->parentWidget())
{
    setAttribute(Qt::WA_TranslucentBackground);
    resize(view->size());
    if (m_window && m_window->window()->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(m_window->window()->windowHandle());
    }
    if (m_side == AttachedSideAutomatic || m_side < AttachedSideLeft ||
        m_side > AttachedSideAutomatic)
        m_side = _bestSideForAutomaticPosition();

    view->setParent(this);
    _updateGeometry();
    _updateBackground();
    view->show();
    view->installEventFilter(this);
}

AttachedWindow::~AttachedWindow()
{
    if (m_view && m_view->parentWidget() == this) {
        m_view->removeEventFilter(this);
        m_view->hide();
        m_view->setParent(m_viewOwner);
    }
}

QSizeF AttachedWindow::viewSize() const
{
    return m_view ? QSizeF(m_view->size()) : QSizeF();
}

QPointF AttachedWindow::screenPoint() const
{
    if (m_window)
        return m_window->mapToGlobal(m_point);
    return m_point;
}

qreal AttachedWindow::_arrowInset() const
{
    return m_arrowBaseWidth / 2 + (m_drawsRoundCornerBesideArrow ? m_cornerRadius : 0.0);
}

AttachedSide AttachedWindow::_bestSideForAutomaticPosition() const
{
    QScreen* screen = m_window ? m_window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRectF v = screen ? QRectF(screen->availableGeometry()) : QRectF();
    const QPointF p = screenPoint();
    const QSizeF size = viewSize();
    const qreal w = size.width() + 2 * m_viewMargin;
    const qreal h = size.height() + 2 * m_viewMargin;
    const qreal a = m_arrowHeight + m_distance;

    AttachedSide side = AttachedSideBottom;
    if (p.y() + h + a <= v.bottom())
        side = AttachedSideBottom;
    else if (p.x() + w + a < v.right())
        side = AttachedSideRight;
    else if (v.left() <= p.x() - w - a)
        side = AttachedSideLeft;
    else if (p.y() - h - a > v.top())
        side = AttachedSideTop;

    const QRectF r = m_window ? QRectF(m_window->window()->frameGeometry()) : v;
    const qreal i = _arrowInset();
    if (side == AttachedSideBottom || side == AttachedSideTop) {
        if (r.left() > p.x() - w / 2 && p.x() + w - i < v.right())
            return side == AttachedSideBottom ? AttachedSideBottomRight : AttachedSideTopRight;
        if (p.x() + w / 2 >= r.right() && p.x() - w + i >= v.left())
            return side == AttachedSideBottom ? AttachedSideBottomLeft : AttachedSideTopLeft;
        return side;
    }
    if (r.bottom() < p.y() + h / 2 && p.y() - h + i > v.top())
        return side == AttachedSideLeft ? AttachedSideLeftTop : AttachedSideRightTop;
    if (p.y() - h / 2 <= r.top() && p.y() + h - i <= v.bottom())
        return side == AttachedSideLeft ? AttachedSideLeftBottom : AttachedSideRightBottom;
    return side;
}

QRectF AttachedWindow::frameForSide(AttachedSide side) const
{
    const qreal m = m_viewMargin;
    const qreal a = m_arrowHeight;
    const qreal d = m_distance;
    const QSizeF size = viewSize();
    qreal width = size.width() + 2 * m;
    qreal height = size.height() + 2 * m;
    // The arrow strip lies on the edge facing the point, even without an arrow.
    const AttachedSideGroup group = attachedSideGroup(side);
    if (group == AttachedSideGroup::Left || group == AttachedSideGroup::Right)
        width += a;
    else
        height += a;

    const QPointF p = screenPoint();
    const qreal i = _arrowInset();
    qreal x = 0;
    qreal y = 0;
    switch (side) {
    case AttachedSideLeft:
        x = p.x() - width - d;
        y = p.y() - height / 2;
        break;
    case AttachedSideBottom:
        x = p.x() - width / 2;
        y = p.y() + d;
        break;
    case AttachedSideRight:
        x = p.x() + d;
        y = p.y() - height / 2;
        break;
    case AttachedSideTop:
        x = p.x() - width / 2;
        y = p.y() - height - d;
        break;
    case AttachedSideLeftTop:
        x = p.x() - width - d;
        y = p.y() - (height - i);
        break;
    case AttachedSideLeftBottom:
        x = p.x() - width - d;
        y = p.y() - i;
        break;
    case AttachedSideRightTop:
        x = p.x() + d;
        y = p.y() - (height - i);
        break;
    case AttachedSideRightBottom:
        x = p.x() + d;
        y = p.y() - i;
        break;
    case AttachedSideTopLeft:
        x = p.x() - (width - i);
        y = p.y() - height - d;
        break;
    case AttachedSideTopRight:
        x = p.x() - i;
        y = p.y() - height - d;
        break;
    case AttachedSideBottomLeft:
        x = p.x() - (width - i);
        y = p.y() + d;
        break;
    case AttachedSideBottomRight:
        x = p.x() - i;
        y = p.y() + d;
        break;
    case AttachedSideAutomatic:
        break;
    }
    return QRectF(x, y, width, height);
}

void AttachedWindow::_updateGeometry()
{
    const qreal m = m_viewMargin;
    const qreal a = m_arrowHeight;
    const QSizeF size = viewSize();
    m_viewFrame = QRectF(m, m, size.width(), size.height());
    const AttachedSideGroup group = attachedSideGroup(m_side);
    if (group == AttachedSideGroup::Bottom)
        m_viewFrame.moveTop(m_viewFrame.top() + a);
    else if (group == AttachedSideGroup::Right)
        m_viewFrame.moveLeft(m_viewFrame.left() + a);

    m_exactFrame = frameForSide(m_side);
    const QRectF& f = m_exactFrame;
    setGeometry(QRect(qRound(f.x()), qRound(f.y()), qRound(f.width()), qRound(f.height())));
    if (m_view)
        m_view->setGeometry(m_viewFrame.toRect());
}

void AttachedWindow::fitInside(const QRect& area)
{
    if (area.isEmpty())
        return;
    const QRectF bounds(area);
    const bool alongX = attachedSideGroup(m_side) == AttachedSideGroup::Bottom ||
                        attachedSideGroup(m_side) == AttachedSideGroup::Top;
    AttachedSide candidates[3];
    switch (attachedSideGroup(m_side)) {
    case AttachedSideGroup::Bottom:
        candidates[0] = AttachedSideBottom;
        candidates[1] = AttachedSideBottomLeft;
        candidates[2] = AttachedSideBottomRight;
        break;
    case AttachedSideGroup::Top:
        candidates[0] = AttachedSideTop;
        candidates[1] = AttachedSideTopLeft;
        candidates[2] = AttachedSideTopRight;
        break;
    case AttachedSideGroup::Left:
        candidates[0] = AttachedSideLeft;
        candidates[1] = AttachedSideLeftTop;
        candidates[2] = AttachedSideLeftBottom;
        break;
    case AttachedSideGroup::Right:
        candidates[0] = AttachedSideRight;
        candidates[1] = AttachedSideRightTop;
        candidates[2] = AttachedSideRightBottom;
        break;
    }
    // The centred arrow where the window fits, else an arrow near one end;
    // where none fits, the side that sticks out least, moved inside: its
    // arrow then points a little beside the point.
    AttachedSide best = m_side;
    qreal bestShift = 0;
    qreal bestOverflow = -1;
    for (AttachedSide side : candidates) {
        const QRectF f = frameForSide(side);
        const qreal before = alongX ? bounds.left() - f.left() : bounds.top() - f.top();
        const qreal after = alongX ? f.right() - bounds.right() : f.bottom() - bounds.bottom();
        const qreal overflow = std::max(before, 0.0) + std::max(after, 0.0);
        if (bestOverflow < 0 || overflow < bestOverflow) {
            best = side;
            bestOverflow = overflow;
            bestShift = std::max(before, 0.0) - std::max(after, 0.0);
        }
        if (overflow == 0)
            break;
    }
    m_side = best;
    m_point += alongX ? QPointF(bestShift, 0) : QPointF(0, bestShift);
    _redisplay();
}

void AttachedWindow::_appendArrowToPath(QPainterPath& path) const
{
    if (!m_hasArrow)
        return;
    const qreal a = m_arrowHeight;
    const qreal b = m_arrowBaseWidth;
    const QPointF c = path.currentPosition();
    switch (attachedSideGroup(m_side)) {
    case AttachedSideGroup::Bottom: // arrow on the top edge, pointing up
        path.lineTo(c.x() + b / 2, c.y() - a);
        path.lineTo(c.x() + b, c.y());
        break;
    case AttachedSideGroup::Left: // right edge, pointing right
        path.lineTo(c.x() + a, c.y() + b / 2);
        path.lineTo(c.x(), c.y() + b);
        break;
    case AttachedSideGroup::Top: // bottom edge, pointing down
        path.lineTo(c.x() - b / 2, c.y() + a);
        path.lineTo(c.x() - b, c.y());
        break;
    case AttachedSideGroup::Right: // left edge, pointing left
        path.lineTo(c.x() - a, c.y() - b / 2);
        path.lineTo(c.x(), c.y() - b);
        break;
    }
}

QPainterPath AttachedWindow::_backgroundPath() const
{
    const QRectF body =
        m_viewFrame.adjusted(-m_viewMargin, -m_viewMargin, m_viewMargin, m_viewMargin);
    const qreal minX = body.left();
    const qreal maxX = body.right();
    const qreal minY = body.top();
    const qreal maxY = body.bottom();
    const qreal midX = body.center().x();
    const qreal midY = body.center().y();
    const qreal r = m_cornerRadius;
    const qreal b = m_arrowBaseWidth;
    const AttachedSide s = m_side;

    // A corner next to an off-centre arrow may stay square.
    const bool square = !m_drawsRoundCornerBesideArrow;
    const bool topLeft =
        r > 0 && !(square && (s == AttachedSideRightBottom || s == AttachedSideBottomRight));
    const bool topRight =
        r > 0 && !(square && (s == AttachedSideLeftBottom || s == AttachedSideBottomLeft));
    const bool bottomRight =
        r > 0 && !(square && (s == AttachedSideLeftTop || s == AttachedSideTopLeft));
    const bool bottomLeft =
        r > 0 && !(square && (s == AttachedSideRightTop || s == AttachedSideTopRight));
    const qreal d = 2 * r;

    QPainterPath path;
    // Clockwise on screen, starting on the top edge.
    const qreal topEnd = maxX - (topRight ? r : 0);
    path.moveTo(minX + (topLeft ? r : 0), minY);
    if (s == AttachedSideBottom) {
        path.lineTo(midX - b / 2, minY);
        _appendArrowToPath(path);
    } else if (s == AttachedSideBottomLeft) {
        path.lineTo(topEnd - b, minY);
        _appendArrowToPath(path);
    } else if (s == AttachedSideBottomRight) {
        _appendArrowToPath(path);
    }
    path.lineTo(topEnd, minY);
    if (topRight)
        path.arcTo(QRectF(maxX - d, minY, d, d), 90, -90);

    const qreal rightEnd = maxY - (bottomRight ? r : 0);
    if (s == AttachedSideLeft) {
        path.lineTo(maxX, midY - b / 2);
        _appendArrowToPath(path);
    } else if (s == AttachedSideLeftTop) {
        path.lineTo(maxX, rightEnd - b);
        _appendArrowToPath(path);
    } else if (s == AttachedSideLeftBottom) {
        _appendArrowToPath(path);
    }
    path.lineTo(maxX, rightEnd);
    if (bottomRight)
        path.arcTo(QRectF(maxX - d, maxY - d, d, d), 0, -90);

    const qreal bottomEnd = minX + (bottomLeft ? r : 0);
    if (s == AttachedSideTop) {
        path.lineTo(midX + b / 2, maxY);
        _appendArrowToPath(path);
    } else if (s == AttachedSideTopRight) {
        path.lineTo(bottomEnd + b, maxY);
        _appendArrowToPath(path);
    } else if (s == AttachedSideTopLeft) {
        _appendArrowToPath(path);
    }
    path.lineTo(bottomEnd, maxY);
    if (bottomLeft)
        path.arcTo(QRectF(minX, maxY - d, d, d), -90, -90);

    const qreal leftEnd = minY + (topLeft ? r : 0);
    if (s == AttachedSideRight) {
        path.lineTo(minX, midY + b / 2);
        _appendArrowToPath(path);
    } else if (s == AttachedSideRightBottom) {
        path.lineTo(minX, leftEnd + b);
        _appendArrowToPath(path);
    } else if (s == AttachedSideRightTop) {
        _appendArrowToPath(path);
    }
    path.lineTo(minX, leftEnd);
    if (topLeft)
        path.arcTo(QRectF(minX, minY, d, d), 180, -90);
    path.closeSubpath();
    return path;
}

QImage AttachedWindow::_backgroundColorPatternImage() const
{
    const qreal ratio = devicePixelRatioF();
    QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    const QPainterPath path = _backgroundPath();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, m_backgroundColor);
    if (m_borderWidth > 0) {
        // Half of the doubled stroke falls outside the outline and is cut
        // away below, leaving a border borderWidth wide inside the edge.
        QPen pen(m_borderColor, 2 * m_borderWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(path, pen);
    }
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillPath(path, Qt::black);
    return image;
}

void AttachedWindow::_updateBackground()
{
    m_background = _backgroundColorPatternImage();
    if (CompositorProbe::isCompositing())
        clearMask();
    else
        setMask(QRegion(_backgroundPath().toFillPolygon().toPolygon()));
    update();
}

void AttachedWindow::_redisplay()
{
    if (m_resizing)
        return;
    m_resizing = true;
    _updateGeometry();
    _updateBackground();
    m_resizing = false;
}

void AttachedWindow::paintEvent(QPaintEvent*)
{
    // Moved to a screen with another pixel ratio: draw the outline afresh.
    if (m_background.devicePixelRatio() != devicePixelRatioF())
        m_background = _backgroundColorPatternImage();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), m_background);
}

void AttachedWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Our own geometry update lands here too; only a size we did not set
    // (the window manager's) needs the geometry again.
    if (event->size() != m_exactFrame.size().toSize() ||
        m_background.size() != (QSizeF(size()) * devicePixelRatioF()).toSize())
        _redisplay();
}

bool AttachedWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::Resize && !m_resizing &&
        QSizeF(m_view->size()) != m_viewFrame.size())
        _redisplay();
    return QWidget::eventFilter(watched, event);
}

void AttachedWindow::setBackgroundColor(const QBrush& color)
{
    if (color != m_backgroundColor)
        m_backgroundColor = color;
    _updateBackground();
}

void AttachedWindow::setBackgroundImage(const QImage& image)
{
    if (!image.isNull())
        setBackgroundColor(QBrush(image));
}

void AttachedWindow::setBorderColor(const QColor& color)
{
    if (color != m_borderColor)
        m_borderColor = color;
    _updateBackground();
}

void AttachedWindow::setBorderWidth(qreal width)
{
    if (width == m_borderWidth)
        return;
    m_borderWidth = std::min(width, m_viewMargin);
    _updateBackground();
}

void AttachedWindow::setViewMargin(qreal margin)
{
    if (margin == m_viewMargin)
        return;
    m_viewMargin = std::max(margin, 0.0);
    setCornerRadius(m_cornerRadius);
}

void AttachedWindow::setCornerRadius(qreal radius)
{
    const QSizeF size = viewSize();
    const qreal limit =
        (2 * m_viewMargin + std::min(size.width(), size.height()) - m_arrowBaseWidth) / 2;
    m_cornerRadius = std::max(std::min(radius, limit), 0.0);
    setArrowBaseWidth(m_arrowBaseWidth);
}

void AttachedWindow::setArrowBaseWidth(qreal width)
{
    const QSizeF size = viewSize();
    qreal limit = 2 * m_viewMargin + std::min(size.width(), size.height()) - m_cornerRadius;
    if (m_drawsRoundCornerBesideArrow)
        limit -= m_cornerRadius;
    // A negative base would fold the arrow back into the body.
    m_arrowBaseWidth = std::max(std::min(width, limit), 0.0);
    _redisplay();
}

void AttachedWindow::setArrowHeight(qreal height)
{
    if (height == m_arrowHeight)
        return;
    m_arrowHeight = height;
    _redisplay();
}

void AttachedWindow::setDrawsRoundCornerBesideArrow(bool draws)
{
    if (draws == m_drawsRoundCornerBesideArrow)
        return;
    m_drawsRoundCornerBesideArrow = draws;
    _redisplay();
}

void AttachedWindow::setHasArrow(bool hasArrow)
{
    if (hasArrow == m_hasArrow)
        return;
    m_hasArrow = hasArrow;
    _updateBackground();
}
