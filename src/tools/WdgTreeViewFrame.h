#pragma once
// The frames of the frames builder: one top-level row per frame (its hexadecimal text) with one
// child row per element (parameter and value). Its menu and shortcuts import, export and remove
// frames; the builder widget does the work when the view's signals arrive.

#include "frames/OrvFrame.h"

#include <QTreeView>

class QAction;
class QMenu;
class QStandardItemModel;

class WdgTreeViewFrame : public QTreeView
{
    Q_OBJECT
public:
    explicit WdgTreeViewFrame(QWidget *parent = nullptr);
    ~WdgTreeViewFrame() override;

    /// The display names of the parameter ids, and which ids are buffer parameters.
    void setNames(const QMap<quint8, QString> &names) { m_names = names; }
    void setBufferFlags(const QMap<quint8, bool> &flags) { m_bufferFlags = flags; }

    /// Appends a frame and shows it.
    void addFrame(const OrvFrame &frame);
    /// All frames, in the order they were added.
    OrvFrameList frames() const { return m_frames; }
    /// The frame of each selected top-level row, in selection order.
    OrvFrameList selectedFrames() const;
    /// Removes, for each given frame, the first frame with equal bytes; then rebuilds the view.
    void removeFrames(const OrvFrameList &frames);
    /// Removes every frame.
    void removeAll();
    /// Number of frames shown.
    int frameCount() const;
    /// Expands every frame and fits the columns to their contents.
    void expandFrames();
    /// Collapses every frame.
    void collapseFrames();
    /// Shows or hides the import action (menu and shortcut).
    void showImportAction(bool show);
    /// Shows or hides the two export actions (menu and shortcut).
    void showExportActions(bool show);

    QAction *importAction() const { return m_actImport; }
    QAction *exportSelectedAction() const { return m_actExportSelected; }
    QAction *exportAllAction() const { return m_actExportAll; }
    QAction *removeSelectedAction() const { return m_actRemoveSelected; }
    QAction *removeAllAction() const { return m_actRemoveAll; }

signals:
    void onImportFramesFromClipboard();
    void onExportSelectedFramesToClipboard();
    void onRemoveSelectedFrames();
    void onRemoveAllFrames();

public slots:
    void onMenuImportFromClipboard();
    void onMenuExportToClipboard();
    /// Selects every row, then asks to export the selection.
    void onMenuExportAllToClipboard();
    void onMenuRemoveFrames();
    void onMenuRemoveAllFrames();
    void onCustomContextMenuRequested(const QPoint &pos);

private:
    void appendRows(const OrvFrame &frame);
    void fitColumns();

    QStandardItemModel *m_model;
    OrvFrameList m_frames;
    QMap<quint8, QString> m_names;
    QMap<quint8, bool> m_bufferFlags;
    QMenu *m_menu;
    QAction *m_actImport;
    QAction *m_actExportSelected;
    QAction *m_actExportAll;
    QAction *m_actRemoveSelected;
    QAction *m_actRemoveAll;
};
