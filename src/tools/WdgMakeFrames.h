#pragma once
// The frames builder: the parameters not yet in a frame on the left, the frames on the right.
// Parameters move into frames of a chosen maximum payload and back; frames go to the clipboard
// or a QR Code image as text, and frame text comes back from the clipboard.

#include "frames/OrvFrame.h"

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class WdgMakeFrames;
}

class WdgMakeFrames : public QWidget
{
    Q_OBJECT
public:
    explicit WdgMakeFrames(QWidget *parent = nullptr);
    ~WdgMakeFrames() override;

    /// All parameters given by the device object (the parameter view is refilled from them).
    void setParams(const OrvParamList &params) { m_params = params; }
    /// Display names and buffer parameters (passed on to both views).
    void setNames(const QMap<quint8, QString> &names);
    void setBufferFlags(const QMap<quint8, bool> &flags);
    /// Sets the maximum payload box (raised to 8 when smaller).
    void setMaxPayload(int bytes);
    /// Export mode: parameters, payload and export shown, import hidden; the parameter view shows
    /// every parameter.
    void setExportMode();
    /// Import mode: only the frames, with import.
    void setImportMode();
    /// All frames of the frame view, in view order.
    OrvFrameList frames() const;

    /// At least the size the form was designed for (800 by 400), so that the dialog sized to its
    /// hint shows both views at a usable width.
    QSize sizeHint() const override;

public slots:
    void on_toolButton_addToViewFrames_clicked();
    void onSelectedParamsToFrames();
    void on_toolButton_removeFromViewFrames_clicked();
    void onRemoveSelectedFrames();
    void on_toolButton_clean_clicked();
    void onDeleteAllFrames();
    void on_toolButton_reMakeFrames_clicked();
    void on_toolButton_expand_toggled(bool checked);
    void on_toolButton_collapse_clicked();
    void on_toolButton_export_clicked();
    void on_toolButton_import_clicked();
    void onExportSelectedFramesToClipboard();
    void onExportAllFramesToClipboard();
    void onExportSelectedFramesToQrCode();
    void onExportAllFramesToQrCode();
    void onImportFramesFromClipboard();

private:
    /// Shows the parameters, payload, re-pack and export controls (exporting) or import.
    void showExportControls(bool exporting);
    /// Shows a frame: raises the payload box to its size, expands when asked, counts it.
    void addFrameToView(const OrvFrame &frame);
    /// Packs params into frames of the payload box's size and shows them; returns the records
    /// that cannot be packed.
    OrvParamList packAndShow(OrvParamList params);
    void refreshCounter();
    void expandIfChecked();

    const QScopedPointer<Ui::WdgMakeFrames> m_ui;
    QMap<quint8, QString> m_paramNames;
    QMap<quint8, bool> m_bufferFlags;
    OrvParamList m_params;
};
