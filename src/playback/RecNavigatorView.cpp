// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/RecNavigatorView.h"

#include "media/WaveformPeaks.h"
#include "playback/NoteTextField.h"
#include "playback/NoteView.h"
#include "playback/PlaybackDelegate.h"
#include "playback/RecNavigController.h"
#include "playback/SliderWithNotes.h"
#include "playback/WaveformLoader.h"
#include "widgets/Images.h"
#include "widgets/NoteWindow.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

RecNavigatorView::RecNavigatorView(QWidget* parent)
    : QWidget(parent), m_selectedNote(Images::image(QStringLiteral("marker_selected.png"))),
      m_generalNote(Images::image(QStringLiteral("marker.png"))),
      m_waveformLoader(std::make_unique<WaveformLoader>(
          [this](const QString& path, const std::vector<float>& peaks) {
              waveformLoaded(path, peaks);
          })),
      m_noteView(std::make_unique<NoteView>())
{
    setMouseTracking(true);
    // The strip sets every pixel it is asked to paint: what lies beneath it
    // need not be painted first, four times a second while recording.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(tr("Time Marks"));
    m_hidingTimer.setInterval(kHidingInterval);
    connect(&m_hidingTimer, &QTimer::timeout, this, &RecNavigatorView::hidingTimerFire);
    connect(m_noteView->noteField(), &QLineEdit::textEdited, this,
            &RecNavigatorView::controlTextDidChange);
}

RecNavigatorView::~RecNavigatorView()
{
    // The window may be gone by now: it calls hideNote()
    // itself before quitting so that an edited note is saved.
    m_noteWindow.reset();
    if (m_recSlider)
        m_recSlider->removeEventFilter(this);
}

void RecNavigatorView::setRecSlider(SliderWithNotes* slider)
{
    if (m_recSlider)
        m_recSlider->removeEventFilter(this);
    m_recSlider = slider;
    if (slider) {
        slider->setRecNavigatorView(this);
        slider->installEventFilter(this);
    }
}

QRect RecNavigatorView::noteRect(const StripNote* mark) const
{
    if (!mark || !m_recSlider)
        return QRect();
    const double p = mark->offsetPerc();
    const QRect slider(m_recSlider->mapTo(this, QPoint(0, 0)), m_recSlider->size());
    const double x = slider.x() + 3 + (slider.width() - 15) * p;
    // A recording of no length gives no place at all; a far-off one is not drawn either.
    if (!std::isfinite(x) || std::abs(x) > 1e6)
        return QRect();
    // Straddles the slider's top edge: 2 points above it, 5 inside.
    return QRect(int(std::floor(x + 0.5)), slider.y() - 2, kMarkerWidth, kMarkerHeight);
}

void RecNavigatorView::setNotes(std::unique_ptr<NoteList> notes)
{
    const bool wasInside = !m_inside.empty();
    if (m_notes)
        removeTrackingAreas(*m_notes);
    m_notes = std::move(notes);
    m_selectedNoteID = -1;
    if (m_notes)
        addTrackingAreas(*m_notes);
    // The pointer resting on a marker stays on it across a refresh: a marker
    // that is re-placed under it does not open the pop-up again, and one that
    // moved away lets the pop-up go as if the pointer had left.
    if (wasInside) {
        const std::optional<QPoint> pointer = pointerInStrip();
        for (const auto& [tag, rect] : m_trackingRects)
            if (pointer && rect.contains(*pointer))
                m_inside.insert(tag);
        if (m_inside.empty())
            startHidingTimer();
    }
    update();
}

void RecNavigatorView::addTrackingAreas(NoteList& notes)
{
    for (StripNote& mark : notes) {
        const QRect rect = noteRect(&mark);
        if (rect.isEmpty())
            continue;
        const int tag = m_nextTrackingTag++;
        m_trackingRects[tag] = rect;
        mark.setTrackingTag(tag);
    }
}

void RecNavigatorView::removeTrackingAreas(const NoteList& notes)
{
    for (const StripNote& mark : notes) {
        m_trackingRects.erase(mark.trackingTag());
        m_inside.erase(mark.trackingTag());
    }
}

bool RecNavigatorView::processMouseClick(QPoint point)
{
    StripNote* mark = noteByPos(point);
    if (!mark)
        return false;
    m_selectedNoteID = mark->markID();
    update();
    if (m_appDelegate)
        m_appDelegate->updateButtonsState();
    return true;
}

StripNote* RecNavigatorView::noteByPos(QPoint point)
{
    if (!m_notes)
        return nullptr;
    for (StripNote& mark : *m_notes) {
        const QRect rect = noteRect(&mark);
        if (!rect.isEmpty() && rect.contains(point))
            return &mark;
    }
    return nullptr;
}

StripNote* RecNavigatorView::noteByID(int markID)
{
    if (!m_notes)
        return nullptr;
    auto it = std::find_if(m_notes->begin(), m_notes->end(),
                           [markID](const StripNote& m) { return m.markID() == markID; });
    return it == m_notes->end() ? nullptr : &*it;
}

StripNote* RecNavigatorView::noteByTrackingTag(int tag)
{
    if (!m_notes || !m_trackingRects.count(tag))
        return nullptr;
    auto it = std::find_if(m_notes->begin(), m_notes->end(),
                           [tag](const StripNote& m) { return m.trackingTag() == tag; });
    return it == m_notes->end() ? nullptr : &*it;
}

void RecNavigatorView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), QColor::fromRgbF(0.2f, 0.2f, 0.2f, 0.5f));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawWaveform(painter);
    if (!m_notes)
        return;
    for (const StripNote& mark : *m_notes) {
        const QRect rect = noteRect(&mark);
        if (rect.isEmpty())
            continue;
        painter.drawImage(rect.topLeft(),
                          mark.markID() == m_selectedNoteID ? m_selectedNote : m_generalNote);
    }
}

std::optional<QPoint> RecNavigatorView::pointerInStrip() const
{
    if (!isVisible())
        return std::nullopt;
    const QPoint point = mapFromGlobal(QCursor::pos());
    if (!rect().contains(point))
        return std::nullopt;
    return point;
}

void RecNavigatorView::trackPointer(std::optional<QPoint> point)
{
    std::vector<int> exited;
    std::vector<int> entered;
    for (const auto& [tag, rect] : m_trackingRects) {
        const bool inside = point && rect.contains(*point);
        const bool wasInside = m_inside.count(tag) > 0;
        if (wasInside && !inside)
            exited.push_back(tag);
        else if (inside && !wasInside)
            entered.push_back(tag);
    }
    // Leaving one marker for another ends with the other's pop-up.
    for (int tag : exited) {
        m_inside.erase(tag);
        mouseExited(tag);
    }
    for (int tag : entered) {
        m_inside.insert(tag);
        mouseEntered(tag);
    }
}

void RecNavigatorView::mouseMoveEvent(QMouseEvent* event)
{
    trackPointer(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void RecNavigatorView::mousePressEvent(QMouseEvent* event)
{
    // The markers reach 2 points above the slider, into the strip itself.
    if (event->button() == Qt::LeftButton && processMouseClick(event->position().toPoint()))
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void RecNavigatorView::leaveEvent(QEvent* event)
{
    trackPointer(std::nullopt);
    QWidget::leaveEvent(event);
}

bool RecNavigatorView::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: a slider being destroyed still sends events through
    // this filter, and is no longer a slider to compare with.
    if (event->type() == QEvent::MouseMove && watched == m_recSlider) {
        const auto* move = static_cast<QMouseEvent*>(event);
        trackPointer(m_recSlider->mapTo(this, move->position().toPoint()));
    }
    return QWidget::eventFilter(watched, event);
}

void RecNavigatorView::mouseEntered(int trackingTag)
{
    const StripNote* mark = noteByTrackingTag(trackingTag);
    if (!mark)
        return;
    const QRect rect = noteRect(mark);
    if (rect.isEmpty())
        return;
    const QPoint global = mapToGlobal(QPoint(rect.x() + 5, rect.y() + rect.height() - 5));
    QWidget* window = m_appDelegate ? m_appDelegate->window() : nullptr;
    showNote(mark, window ? QPointF(window->mapFromGlobal(global)) : QPointF(global));
}

void RecNavigatorView::mouseExited(int)
{
    startHidingTimer();
}

void RecNavigatorView::showNote(const StripNote* mark, QPointF point)
{
    if (!mark)
        return;
    hideNote();
    m_noteView->setText(mark->descr());
    const float offset =
        std::isfinite(mark->offset()) ? std::clamp(mark->offset(), -2e9f, 2e9f) : 0.0f;
    m_noteView->setOffset(int(offset));

    QWidget* window = m_appDelegate ? m_appDelegate->window() : nullptr;
    m_noteWindow = NoteWindow::create(m_noteView.get(), point, AttachedSideTop, 5.0, window);
    // Above the main pop-up, as a menu would be.
    m_noteWindow->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    m_noteWindow->show();
    m_noteWindow->raise();
    m_noteWindow->activateWindow();
    m_noteWindow->setShownNoteID(mark->markID());
    m_noteChanged = false;
}

void RecNavigatorView::startHidingTimer()
{
    m_hidingTimer.start();
}

void RecNavigatorView::stopHidingTimer()
{
    m_hidingTimer.stop();
}

void RecNavigatorView::hidingTimerFire()
{
    if (!m_noteWindow) {
        stopHidingTimer();
        return;
    }
    if (m_noteWindow->geometry().contains(QCursor::pos()))
        return;
    hideNote();
}

void RecNavigatorView::hideNote()
{
    stopHidingTimer();
    if (!m_noteWindow)
        return;
    m_noteWindow.reset();
    if (m_noteChanged) {
        m_noteChanged = false;
        if (m_appDelegate)
            m_appDelegate->structChanged();
    }
}

void RecNavigatorView::controlTextDidChange()
{
    if (!m_noteWindow || !m_noteWindow->isVisible() || m_noteWindow->shownNoteID() < 0)
        return;
    StripNote* copy = noteByID(m_noteWindow->shownNoteID());
    if (!copy)
        return;
    copy->setDescr(m_noteView->text());
    if (m_recNavigController)
        m_recNavigController->noteChanged(copy);
    m_noteChanged = true;
}

void RecNavigatorView::showWaveformOf(const QString& path)
{
    m_waveformShown = !path.isEmpty() && path == m_waveformPath;
    // Hidden, not forgotten: the file just recorded comes back at once (its
    // live envelope) while it is measured again.
    if (!path.isEmpty() && path != m_waveformPath) {
        m_peaks.clear();
        m_liveSlots.clear();
        m_liveStart = m_liveEnd = 0;
    }
    m_waveformLoader->request(path);
    update();
}

void RecNavigatorView::waveformLoaded(const QString& path, const std::vector<float>& peaks)
{
    // A file still being written is no envelope to show.
    if (m_live)
        return;
    m_waveformPath = path;
    m_waveformShown = true;
    m_peaks = peaks;
    m_liveSlots.clear();
    m_liveStart = m_liveEnd = 0;
    update();
}

void RecNavigatorView::beginLive(const QString& path, double fromSeconds)
{
    m_waveformLoader->request(QString());
    if (path != m_waveformPath || !m_waveformShown || fromSeconds <= 0) {
        m_peaks.clear();
        fromSeconds = std::max(0.0, fromSeconds);
    }
    m_waveformPath = path;
    m_waveformShown = true;
    m_live = true;
    m_liveStart = m_peaks.empty() ? 0.0 : fromSeconds;
    m_liveEnd = m_liveStart;
    m_liveSlots.clear();
    update();
}

void RecNavigatorView::addLiveLevel(double seconds, float level)
{
    if (!m_live || !std::isfinite(seconds) || seconds < m_liveStart)
        return;
    const auto slot = size_t((seconds - m_liveStart) / kLiveSlot);
    // A level covers the stretch since the one before, so no slot stays empty.
    const size_t first = std::min(slot, m_liveSlots.size());
    if (slot >= m_liveSlots.size())
        m_liveSlots.resize(slot + 1, 0.0f);
    const float peak = std::clamp(level / 2.0f, 0.0f, 1.0f);
    for (size_t i = first; i <= slot; ++i)
        m_liveSlots[i] = std::max(m_liveSlots[i], peak);
    m_liveEnd = std::max(m_liveEnd, seconds);
    // One picture per level: the controller hands one every quarter second.
    update();
}

void RecNavigatorView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Shown while recording: the strip catches up at once and then follows at its own pace.
    if (m_live && m_recNavigController)
        m_recNavigController->liveTimerFire();
}

void RecNavigatorView::endLive()
{
    m_live = false;
    update();
}

float RecNavigatorView::envelopeBetween(double from, double to) const
{
    float peak = 0;
    if (from < m_liveStart && !m_peaks.empty() && m_liveStart > 0) {
        const double n = double(m_peaks.size());
        const auto first = size_t(std::clamp(from / m_liveStart * n, 0.0, n - 1));
        const auto last = size_t(std::clamp(std::min(to, m_liveStart) / m_liveStart * n, 0.0, n));
        for (size_t i = first; i < std::max(last, first + 1); ++i)
            peak = std::max(peak, m_peaks[i]);
    }
    if (to > m_liveStart && !m_liveSlots.empty()) {
        const double n = double(m_liveSlots.size());
        const auto first = size_t(std::clamp((from - m_liveStart) / kLiveSlot, 0.0, n - 1));
        const auto last = size_t(std::clamp((to - m_liveStart) / kLiveSlot, 0.0, n));
        for (size_t i = first; i < std::max(last, first + 1); ++i)
            peak = std::max(peak, m_liveSlots[i]);
    }
    return peak;
}

std::vector<float> RecNavigatorView::waveformColumns(int count) const
{
    if (!m_waveformShown || count <= 0 || (m_peaks.empty() && m_liveSlots.empty()))
        return {};
    if (m_liveSlots.empty() && m_liveEnd <= m_liveStart)
        return WaveformPeaks::columns(m_peaks, count);
    // The live envelope and the file it continues share the strip by their lengths.
    const double total = std::max(m_liveEnd, m_liveStart + kLiveSlot);
    std::vector<float> columns(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c)
        columns[size_t(c)] = envelopeBetween(total * c / count, total * (c + 1) / count);
    return columns;
}

void RecNavigatorView::drawWaveform(QPainter& painter)
{
    if (!m_recSlider || !m_waveformShown)
        return;
    // Between the centres of the markers at the two ends, one column per
    // device pixel, so that the envelope stays sharp on a HiDPI screen.
    const QRect slider(m_recSlider->mapTo(this, QPoint(0, 0)), m_recSlider->size());
    const double ratio = devicePixelRatioF();
    const double left = (slider.x() + 3 + kMarkerWidth / 2.0) * ratio;
    const int count = int((slider.width() - 15) * ratio);
    const std::vector<float> columns = waveformColumns(count);
    if (columns.empty())
        return;
    // Scaled to the loudest place, so that a quiet recording shows its shape
    // too; near silence is not blown up into noise.
    const float loudest = std::max(*std::max_element(columns.begin(), columns.end()), 0.05f);
    const int rows = int(height() * ratio);
    const int middle = int(height() / 2.0 * ratio);
    const double reach = (height() / 2.0 - 2) * ratio;
    // The columns are set in a picture of their own and blended at once:
    // drawn four times a second while recording, a line each cost far more.
    if (m_envelope.size() != QSize(count, rows))
        m_envelope = QImage(count, rows, QImage::Format_ARGB32_Premultiplied);
    m_envelope.fill(Qt::transparent);
    const QRgb colour = qPremultiply(qRgba(0x8a, 0xb4, 0xf0, 190));
    uchar* pixels = m_envelope.bits();
    const qsizetype stride = m_envelope.bytesPerLine();
    for (int c = 0; c < count; ++c) {
        const int half = int(std::lround(std::sqrt(columns[size_t(c)] / loudest) * reach));
        const int from = std::max(0, middle - half);
        const int to = std::min(rows - 1, middle + half);
        for (int y = from; y <= to; ++y)
            reinterpret_cast<QRgb*>(pixels + y * stride)[c] = colour;
    }
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    painter.drawImage(QPoint(int(left), 0), m_envelope);
    painter.restore();
}
