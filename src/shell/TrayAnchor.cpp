// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TrayAnchor.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <array>

namespace {

enum class Edge
{
    Top,
    Bottom,
    Left,
    Right
};

// The panel strip the icon lies in; for an icon inside the work area (a
// panel that reserves no strip) the nearest edge of the screen, a horizontal
// one where the icon sits in a corner.
Edge edgeAt(const QRect& icon, const QRect& screen, const QRect& work)
{
    const QPoint p = icon.center();
    if (p.y() < work.top())
        return Edge::Top;
    if (p.y() > work.bottom())
        return Edge::Bottom;
    if (p.x() < work.left())
        return Edge::Left;
    if (p.x() > work.right())
        return Edge::Right;
    const std::array<int, 4> distance{icon.top() - screen.top(), screen.bottom() - icon.bottom(),
                                      icon.left() - screen.left(), screen.right() - icon.right()};
    return Edge(std::min_element(distance.begin(), distance.end()) - distance.begin());
}

// The edge with the widest panel strip; the top where no panel reserves one.
Edge widestStrip(const QRect& screen, const QRect& work)
{
    const std::array<int, 4> strip{work.top() - screen.top(), screen.bottom() - work.bottom(),
                                   work.left() - screen.left(), screen.right() - work.right()};
    const auto widest = std::max_element(strip.begin(), strip.end());
    return *widest > 0 ? Edge(widest - strip.begin()) : Edge::Top;
}

constexpr AttachedSide kAwayFrom[] = {AttachedSideBottom, AttachedSideTop, AttachedSideRight,
                                      AttachedSideLeft};

} // namespace

TrayAnchor TrayAnchor::compute(const QRect& icon, const std::optional<QPoint>& click,
                               const QRect& screen, const QRect& workArea)
{
    TrayAnchor anchor;
    anchor.workArea = workArea;
    if (!icon.isEmpty()) {
        const Edge edge = edgeAt(icon, screen, workArea);
        const int cx = icon.x() + icon.width() / 2;
        const int cy = icon.y() + icon.height() / 2;
        const QPoint points[] = {{cx, icon.y() + icon.height()},
                                 {cx, icon.y()},
                                 {icon.x() + icon.width(), cy},
                                 {icon.x(), cy}};
        anchor.point = points[int(edge)];
        anchor.side = kAwayFrom[int(edge)];
        return anchor;
    }
    // A click on the panel tells where the icon is along it.
    const bool onPanel = click && screen.contains(*click) && !workArea.contains(*click);
    const Edge edge = onPanel ? edgeAt(QRect(*click, QSize(1, 1)), screen, workArea)
                              : widestStrip(screen, workArea);
    const int x = onPanel ? click->x() : workArea.right();
    const int y = onPanel ? click->y() : workArea.bottom();
    const QPoint points[] = {{x, workArea.top()},
                             {x, workArea.bottom() + 1},
                             {workArea.left(), y},
                             {workArea.right() + 1, y}};
    anchor.point = points[int(edge)];
    anchor.side = kAwayFrom[int(edge)];
    return anchor;
}

TrayAnchor TrayAnchor::forIcon(const QRect& icon, const std::optional<QPoint>& click)
{
    QScreen* screen = nullptr;
    if (!icon.isEmpty())
        screen = QGuiApplication::screenAt(icon.center());
    else if (click)
        screen = QGuiApplication::screenAt(*click);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {icon.center(), AttachedSideBottom, QRect()};
    return compute(icon, click, screen->geometry(), screen->availableGeometry());
}
