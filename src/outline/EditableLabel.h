// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;

// A text of an outline row that the user can edit in place. At rest it only
// paints its text and leaves single clicks to its row; a double-click on an
// editable label opens an editor over it that commits on Return or when it
// loses focus and cancels on Escape; while it is open, no key reaches the row.
// Main thread only.
class EditableLabel : public QWidget
{
    Q_OBJECT
public:
    explicit EditableLabel(QWidget* parent = nullptr);
    ~EditableLabel() override;

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setAlignment(Qt::Alignment alignment);
    void setTextColor(const QColor& color);

    void setEditableByDClick(bool editable);

    bool isEditing() const { return m_editor != nullptr; }
    QLineEdit* editor() const { return m_editor; }
    void beginEditing();
    // Closes the editor; with commit the typed text becomes the label's text
    // and editingFinished() tells the row.
    void endEditing(bool commit);

signals:
    void editingFinished(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_isEditable = true;
    bool m_doubleClicked = false;
    QLineEdit* m_editor = nullptr;
};
