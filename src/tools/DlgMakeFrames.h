#pragma once
// The frames dialog of a device page: "Export frames" shows the device's parameters to pack into
// frames and hand out as text; "Import frames" takes frame text and returns the frames.

#include "frames/OrvFrame.h"

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class DlgMakeFrames;
}
class WdgMakeFrames;

class DlgMakeFrames : public QDialog
{
    Q_OBJECT
public:
    /// Import: "Import frames", OK and Cancel, the builder in import mode.
    DlgMakeFrames(QWidget *parent, const QMap<quint8, QString> &paramNames,
                  const QMap<quint8, bool> &bufferFlags);
    /// Export: "Export frames", Close, the builder in export mode with params and the default
    /// maximum payload.
    DlgMakeFrames(QWidget *parent, const OrvParamList &params, const QMap<quint8, QString> &paramNames,
                  const QMap<quint8, bool> &bufferFlags, int maxPayload);
    ~DlgMakeFrames() override;

    /// The frames of the builder's frame view, in view order.
    OrvFrameList frames() const;
    /// The builder inside the dialog.
    WdgMakeFrames *builder() const;

public slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    explicit DlgMakeFrames(QWidget *parent);

    const QScopedPointer<Ui::DlgMakeFrames> m_ui;
};
