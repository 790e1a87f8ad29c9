// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/ToolStroke.h"

#include <QLabel>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class CSheetView;
class CSpriteDocument;
class QAction;
class QToolBar;

// The window's drawing tools: the tool chosen, the index each mouse button
// draws with, the tool bar beside the view, the stroke the pointer is
// drawing and the tools' part of the status bar. What a tool does is the
// document's; this only feeds it the pointer.
class CToolBox : public QObject
{
    Q_OBJECT

public:
    CToolBox(CSpriteDocument& document, CSheetView& view);
    ~CToolBox() override;

    // The tool bar in parent, holding the Tools menu's actions, which
    // commandAction finds by command id; the status line in statusParent.
    void CreateToolBar(QWidget* parent, QWidget* statusParent,
                       const std::function<QAction*(int)>& commandAction);
    QToolBar& ToolBar() { return *m_toolBar; }
    QWidget& StatusWidget() { return *m_status; }

    // The tool of a Tools command, if it is one.
    static std::optional<PixelTool> ToolOfCommand(int id);
    PixelTool Tool() const { return m_tool; }
    void ChooseTool(PixelTool tool);
    // The index (0-15) the button draws with.
    int Index(Qt::MouseButton button) const;
    // A swatch chosen with a button: its index in the row.
    void ChooseIndex(int entry, Qt::MouseButton button);
    // [ and ]: the left button's index, round the row.
    void StepIndex(int step);
    // Whether the picture takes the tools; the cursor, the pointer's outline
    // and the status line follow the document.
    bool ToolsOn() const;
    void Refresh();
    // Escape during a stroke takes it back; false without one.
    bool CancelStroke();
    // The status line as text: the tool, both indices and their colours,
    // and the selection's size.
    QString StatusText() const;

signals:
    // The tools went on or off: the window greys its commands.
    void ToolsChanged();

private:
    void OnPressed(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers keys);
    void OnMoved(QPoint pixel, Qt::KeyboardModifiers keys);
    void OnReleased(QPoint pixel, Qt::KeyboardModifiers keys);
    // A picker's stroke read an index: it becomes its button's.
    void TakePick();
    QString IndexText(int index) const;
    // The status line, its colours with a swatch each as rich text.
    QString StatusLine(bool withSwatches) const;
    QString ColourMarkup(int index) const;

    CSpriteDocument& m_document;
    CSheetView& m_view;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_status = nullptr;
    std::function<QAction*(int)> m_commandAction;
    PixelTool m_tool = PixelTool::Pencil;
    int m_leftIndex = 1;
    int m_rightIndex = 0;
    std::optional<PixelTool> m_cursorTool; // the view's cursor's, none when the tools are off
    bool m_cursorSet = false;
    std::unique_ptr<CToolStroke> m_stroke;
    Qt::MouseButton m_strokeButton = Qt::LeftButton;
};
