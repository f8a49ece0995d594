#pragma once
// The frame page of a device connected over USB or BLE: draws the device header (name,
// description, radio technology, product picture) and the Close / Default / Reload / Apply
// buttons, and hosts the device object (the family page) in its middle.

#include <QPointer>
#include <QScopedPointer>
#include <QString>
#include <QWidget>

class OrvObject;
class QIcon;
class QLabel;
class QPixmap;

namespace Ui {
class WdgOrv;
}

/// What the two frame pages (WdgOrv, WdgOrvVirtual) share: the header picture rule and the
/// hosting of a device object.
namespace OrvFramePage {
/// The brand picture shown until a device brings its own.
constexpr char kBrandPicture[] = ":MainWindow/img/pelm/iconpelm";
/// Icons of the buttons.
constexpr char kCloseIcon[] = ":/MainWindow/img/close.png";
constexpr char kReloadIcon[] = ":/MainWindow/img/reload.png";
constexpr char kSaveIcon[] = ":/MainWindow/img/save.png";
/// Pictures of this height or more are reduced to kPictureHeightPx; smaller ones stay as they are.
constexpr int kPictureScaleFromPx = 51;
constexpr int kPictureHeightPx = 50;

/// The picture at path for the header (null when it cannot be loaded), built once for the
/// process and shared by every page that shows it.
QPixmap headerPicture(const QString &path);
/// The icon of a button, shared by every page (see GuiResources::sharedIcon).
QIcon buttonIcon(const char *path);

/// The widgets of a frame's header and container.
struct Header
{
    QWidget *container;
    QLabel *name;
    QLabel *description;
    QLabel *technology;
    QLabel *image;
};

/// Shows the brand picture and name and empties the description and technology texts.
void showBrand(const Header &header);
/// Makes device a child of the container (in a margin-less vertical box layout) and shows its
/// name, description, technology text and, when it has one that loads, its picture.
void host(const Header &header, OrvObject *device);
} // namespace OrvFramePage

class WdgOrv : public QWidget
{
    Q_OBJECT
public:
    /// How the hosted device is reached (the Close button is shown for BLE only: a USB device
    /// is closed by unplugging it).
    enum ConnectionMode
    {
        ModeBle = 0,
        ModeUsb = 1,
    };

    explicit WdgOrv(QWidget *parent = nullptr);
    ~WdgOrv() override;

    /// Hosts device (a connection mode of ConnectionMode). Only the first call with a device
    /// counts: later calls leave the page as it is.
    void setDevice(OrvObject *device, int mode);
    /// The hosted device object; null before setDevice or once it was deleted.
    OrvObject *device() const;

    /// While the device's configuration is read: the editors hidden, a note that it is being
    /// read, the buttons disabled.
    void showLoading();
    /// After a load: the editors when it succeeded; otherwise the failure and the offer to
    /// reload, with Apply and Default disabled (nothing the page holds was read from the device).
    void showLoadState(bool loaded);
    /// The text shown instead of the editors (empty while they are shown).
    QString stateText() const;
    /// The Default button and the Default action: restores the device's factory defaults once
    /// the user said yes to losing its configuration (default answer No). Without a question while
    /// another exchange runs (the device object then says it is busy) or for an offline object.
    /// Returns the device object's result, or -1 when the user said no or the device went away
    /// meanwhile.
    static int restoreDefaultsAsked(OrvObject *device);

signals:
    /// The user asked to close the device page. (It hides QWidget::close() on this class: the
    /// page is closed by its owner.)
    void close();

private slots:
    /// restoreDefaultsAsked for the hosted device, when a device is hosted.
    void on_pushButton_default_clicked();
    /// The device object's loadFromDevice, when a device is hosted.
    void on_pushButton_reload_clicked();
    /// The device object's applyToDevice, when a device is hosted.
    void on_pushButton_apply_clicked();
    /// Emits close(), when a device is hosted.
    void on_pushButton_close_clicked();

private:
    void setButtonsEnabled(bool apply, bool reload);

    const QScopedPointer<Ui::WdgOrv> m_ui;
    QLabel *m_state = nullptr;    ///< the loading note or the load failure, in the editors' place
    bool m_hosting = false;       ///< setDevice took a device (set once)
    QPointer<OrvObject> m_device; ///< the hosted device object (owned by the main window)
};
