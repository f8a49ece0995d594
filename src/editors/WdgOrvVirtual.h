#pragma once
// The frame page of an offline device (a configuration without a device): the same header as
// WdgOrv, and Close / Reload from file / Save to file buttons that the main window answers.

#include <QPointer>
#include <QScopedPointer>
#include <QWidget>

class OrvObject;

namespace Ui {
class WdgOrvVirtual;
}

class WdgOrvVirtual : public QWidget
{
    Q_OBJECT
public:
    explicit WdgOrvVirtual(QWidget *parent = nullptr);
    ~WdgOrvVirtual() override;

    /// Hosts device. Only the first call with a device counts: later calls leave the page as it is.
    void setDevice(OrvObject *device);
    /// The hosted device object; null before setDevice or once it was deleted.
    OrvObject *device() const;

signals:
    /// The user asked to read the configuration file again.
    void reload();
    /// The user asked to save the configuration to a file.
    void save();
    /// The user asked to close the device page. (It hides QWidget::close() on this class: the
    /// page is closed by its owner.)
    void close();

private slots:
    /// Each emits its signal, when a device is hosted.
    void on_pushButton_reload_clicked();
    void on_pushButton_save_clicked();
    void on_pushButton_close_clicked();

private:
    const QScopedPointer<Ui::WdgOrvVirtual> m_ui;
    bool m_hosting = false;       ///< setDevice took a device (set once)
    QPointer<OrvObject> m_device; ///< the hosted device object (owned by the main window)
};
