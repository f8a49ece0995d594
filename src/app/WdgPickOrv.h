#pragma once
// The offline device picker of the connection page: one WdgPickOrvDevice per device type of
// the catalog, in a vertical scroll list; opening one of them hands its combination on.

#include <QList>
#include <QScopedPointer>
#include <QString>
#include <QWidget>

class WdgPickOrvDevice;

namespace Ui {
class WdgPickOrv;
}

class WdgPickOrv : public QWidget
{
    Q_OBJECT
public:
    /// The picker filled with the rows of the device catalog.
    explicit WdgPickOrv(QWidget *parent = nullptr);
    ~WdgPickOrv() override;

    /// Adds a variant to the entry of device type orvType, creating the entry (at the end of
    /// the list) when the type has none yet.
    void addDevice(int orvType, int orvRev, int kivType, const QString &label, const QString &picture);

    /// The device entries, in list order.
    QList<WdgPickOrvDevice *> devices() const { return m_devices; }

signals:
    /// A device combination was opened in one of the entries.
    void OnOrvPicked(int orvType, int orvRev, int kivType);

private slots:
    /// Re-emits OnOrvPicked.
    void _onOrvPickedFromWdgPickOrvDevice(int orvType, int orvRev, int kivType);

private:
    const QScopedPointer<Ui::WdgPickOrv> m_ui;
    QList<WdgPickOrvDevice *> m_devices; ///< children of the list widget
};
