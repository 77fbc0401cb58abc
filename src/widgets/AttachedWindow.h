// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/AttachedSide.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <memory>

// A frameless, translucent window whose outline is a rounded rectangle with a
// triangular arrow on one edge; the arrow's tip points at a given point from a
// given distance. The window takes a view as its content and sizes itself
// around it. Coordinates are Qt's: y grows downward; the point is in screen
// coordinates, or in the parent window's coordinates when there is a parent.
// Main thread only.
class AttachedWindow : public QWidget
{
    Q_OBJECT
public:
    // Each answers null when the view is null. The view is borrowed: it is
    // shown inside the window and handed back to its previous parent when the
    // window goes, so one view may serve several windows in turn. The parent
    // window is not owned.
    static std::unique_ptr<AttachedWindow> create(QWidget* view, QPointF point,
                                                  AttachedSide side = AttachedSideAutomatic,
                                                  qreal distance = 0, QWidget* window = nullptr);

    ~AttachedWindow() override;

    void setBackgroundColor(const QBrush& color);
    void setBackgroundImage(const QImage& image);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);
    qreal borderWidth() const { return m_borderWidth; }
    void setBorderWidth(qreal width);
    qreal viewMargin() const { return m_viewMargin; }
    void setViewMargin(qreal margin);
    qreal arrowBaseWidth() const { return m_arrowBaseWidth; }
    void setArrowBaseWidth(qreal width);
    qreal arrowHeight() const { return m_arrowHeight; }
    void setArrowHeight(qreal height);
    bool hasArrow() const { return m_hasArrow; }
    void setHasArrow(bool hasArrow);
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);
    bool drawsRoundCornerBesideArrow() const { return m_drawsRoundCornerBesideArrow; }
    void setDrawsRoundCornerBesideArrow(bool draws);

    QWidget* view() const { return m_view; }
    AttachedSide side() const { return m_side; }
    QPointF point() const { return m_point; }
    qreal distance() const { return m_distance; }
    // The content view's frame inside the window.
    QRectF viewFrame() const { return m_viewFrame; }
    // The window's frame in screen coordinates as computed, before rounding
    // to whole pixels.
    QRectF exactFrame() const { return m_exactFrame; }

    // Keeps the window inside the area (a screen's work area): of the sides
    // that keep the arrow on the same edge, the centred one if the window fits
    // there, else one with the arrow near an end; if none fits, the point
    // moves along the edge by what the window sticks out.
    void fitInside(const QRect& area);

    // The outline in the window's own coordinates.
    QPainterPath _backgroundPath() const;
    // The window's background as drawn: outline filled and bordered.
    QImage _backgroundColorPatternImage() const;
    // Distance from the window's edge to the tip of an off-centre arrow.
    qreal _arrowInset() const;

protected:
    struct Defaults
    {
        QBrush backgroundColor = QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.85f);
        QColor borderColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.6f);
        qreal borderWidth = 1.0;
        qreal viewMargin = 0.0;
        qreal arrowBaseWidth = 20.0;
        qreal arrowHeight = 16.0;
        bool hasArrow = true;
        qreal cornerRadius = 8.0;
        bool drawsRoundCornerBesideArrow = true;
    };

    // The view must not be null; create() checks that.
    AttachedWindow(QWidget* view, QPointF point, QWidget* window, AttachedSide side, qreal distance,
                   const Defaults& defaults);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AttachedSide _bestSideForAutomaticPosition() const;
    void _updateGeometry();
    // The window's frame on screen for a side, as _updateGeometry() places it.
    QRectF frameForSide(AttachedSide side) const;
    void _updateBackground();
    void _appendArrowToPath(QPainterPath& path) const;
    void _redisplay();
    QPointF screenPoint() const;
    QSizeF viewSize() const;

    QColor m_borderColor;
    qreal m_borderWidth;
    qreal m_viewMargin;
    qreal m_arrowBaseWidth;
    qreal m_arrowHeight;
    bool m_hasArrow;
    qreal m_cornerRadius;
    bool m_drawsRoundCornerBesideArrow;
    QBrush m_backgroundColor;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_window;
    QPointF m_point;
    AttachedSide m_side;
    qreal m_distance;
    QRectF m_viewFrame;
    bool m_resizing = false;
    QRectF m_exactFrame;
    QImage m_background;
    QPointer<QWidget> m_viewOwner;
};
