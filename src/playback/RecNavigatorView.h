// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "playback/SliderWithNotes.h"
#include "playback/StripNote.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class NoteView;
class NoteWindow;
class WaveformLoader;
class PlaybackDelegate;
class RecNavigController;

// The strip under and around the position slider: draws the time marks of the
// current recording as markers along the slider's top edge, selects one on a
// click, and while the pointer rests on a marker shows the mark's note in a
// pop-up above it, where the note can be edited. The pop-up goes half a second
// after the pointer has left both the marker and the pop-up; an edited note is
// then saved. Main thread only.
class RecNavigatorView : public QWidget
{
    Q_OBJECT
public:
    using NoteList = std::vector<StripNote>;
    static constexpr int kHidingInterval = 500; // ms
    static constexpr int kMarkerWidth = 9;
    static constexpr int kMarkerHeight = 7;

    explicit RecNavigatorView(QWidget* parent = nullptr);
    ~RecNavigatorView() override;

    void setAppDelegate(PlaybackDelegate* appDelegate) { m_appDelegate = appDelegate; }
    void setRecNavigController(RecNavigController* controller)
    {
        m_recNavigController = controller;
    }
    // The slider must lie inside the strip; the markers are placed from its frame.
    void setRecSlider(SliderWithNotes* slider);
    SliderWithNotes* recSlider() const { return m_recSlider; }
    NoteView* noteView() const { return m_noteView.get(); }

    // Takes the copies of the marks; null shows none. The selection is lost.
    void setNotes(std::unique_ptr<NoteList> notes);
    const NoteList* notes() const { return m_notes.get(); }
    int selectedMarkID() const { return m_selectedNoteID; }

    // The marker's rectangle in the strip's coordinates; empty for a null mark
    // and for a mark without a finite place (a recording of no length).
    QRect noteRect(const StripNote* mark) const;
    // A press at a point of the strip: selects the first mark hit; true on a hit.
    bool processMouseClick(QPoint point);
    StripNote* noteByPos(QPoint point);
    StripNote* noteByID(int markID);
    StripNote* noteByTrackingTag(int tag);

    // The pointer entered or left the marker with that tracking tag.
    void mouseEntered(int trackingTag);
    void mouseExited(int trackingTag);
    // Q is in the coordinates of the window
    // (in screen coordinates when there is none).
    void showNote(const StripNote* mark, QPointF point);
    void hideNote();
    NoteWindow* noteWindow() const { return m_noteWindow.get(); }
    bool hidingTimerActive() const { return m_hidingTimer.isActive(); }
    bool noteChanged() const { return m_noteChanged; }

    void controlTextDidChange();

    // The waveform drawn under the marks: the peak envelope of the recording's
    // file, measured without blocking the window. Another path hides the
    // envelope shown until its own arrives; the same path keeps it shown
    // while it is measured again. An empty path shows none.
    void showWaveformOf(const QString& path);
    // While a recording is made its envelope grows from the levels heard,
    // after the envelope of the file it continues (fromSeconds long), if any.
    void beginLive(const QString& path, double fromSeconds);
    // The loudest capture level (largest minus smallest sample) heard since
    // the level before, up to that time. Each one repaints the strip.
    void addLiveLevel(double seconds, float level);
    void endLive();
    bool isLive() const { return m_live; }
    // The envelope in count columns over the strip's length; empty when none is shown.
    std::vector<float> waveformColumns(int count) const;
    static constexpr double kLiveSlot = 0.05; // seconds

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addTrackingAreas(NoteList& notes);
    void removeTrackingAreas(const NoteList& notes);
    void trackPointer(std::optional<QPoint> point);
    std::optional<QPoint> pointerInStrip() const;
    void startHidingTimer();
    void stopHidingTimer();
    void hidingTimerFire();
    void waveformLoaded(const QString& path, const std::vector<float>& peaks);
    float envelopeBetween(double from, double to) const;
    void drawWaveform(QPainter& painter);

    PlaybackDelegate* m_appDelegate = nullptr;
    RecNavigController* m_recNavigController = nullptr;
    QPointer<SliderWithNotes> m_recSlider;
    QImage m_selectedNote;
    QImage m_generalNote;
    std::unique_ptr<NoteList> m_notes;
    int m_selectedNoteID = -1;
    QTimer m_hidingTimer;
    bool m_noteChanged = false;

    // Tracking rectangles by tag, and the tags the pointer is inside now.
    std::map<int, QRect> m_trackingRects;
    std::set<int> m_inside;
    int m_nextTrackingTag = 1;

    std::unique_ptr<WaveformLoader> m_waveformLoader;
    QString m_waveformPath;
    bool m_waveformShown = false;
    std::vector<float> m_peaks;
    bool m_live = false;
    double m_liveStart = 0;
    double m_liveEnd = 0;
    // The envelope's columns as last drawn, reused from picture to picture.
    QImage m_envelope;
    std::vector<float> m_liveSlots;

    // The view outlives every pop-up that borrows it.
    std::unique_ptr<NoteView> m_noteView;
    std::unique_ptr<NoteWindow> m_noteWindow;
};
