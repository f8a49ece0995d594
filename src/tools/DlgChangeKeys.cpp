#include "tools/DlgChangeKeys.h"
#include "ui_DlgChangeKeys.h"

#include "common/Hex.h"
#include "common/Reporter.h"
#include "device/session/LoRaWanKeys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>

namespace {
const QString kSuccessStyle = QStringLiteral("background-color: green;");
} // namespace

DlgChangeKeys::DlgChangeKeys(QWidget *parent) : QDialog(parent), m_ui(new Ui::DlgChangeKeys)
{
    m_ui->setupUi(this);
    const struct
    {
        QLineEdit *edit;
        quint8 id;
    } fields[] = {{m_ui->lineEdit_AppEUI, LoRaWanKeys::kAppEuiParamId},
                  {m_ui->lineEdit_AppKey, LoRaWanKeys::kAppKeyParamId}};
    for (const auto &f : fields) {
        const QString pattern = QStringLiteral("[0-9a-fA-F]{%1}").arg(2 * LoRaWanKeys::keyBytes(f.id));
        f.edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), f.edit));
        // Masked unless being typed (see eventFilter). Not PasswordEchoOnEdit: that empties
        // the field at the first key typed, so a short key could not be completed.
        f.edit->setEchoMode(QLineEdit::Password);
        f.edit->installEventFilter(this);
        // A field with a selection is masked: a masked field never copies its text to a
        // clipboard (nor to the X11 selection), whatever selected it.
        connect(f.edit, &QLineEdit::selectionChanged, this, [edit = f.edit] {
            if (edit->hasSelectedText())
                edit->setEchoMode(QLineEdit::Password);
        });
    }
    m_successTimer.setSingleShot(true);
    m_successTimer.setInterval(kSuccessShownMs);
    connect(&m_successTimer, &QTimer::timeout, this, &DlgChangeKeys::restoreButton);
}

DlgChangeKeys::~DlgChangeKeys() = default;

bool DlgChangeKeys::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || (edit != m_ui->lineEdit_AppEUI && edit != m_ui->lineEdit_AppKey))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed)
            edit->setEchoMode(QLineEdit::Normal); // what is typed is shown, the earlier digits too
        else if (key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Delete)
            edit->setEchoMode(QLineEdit::Password); // moving, selecting, copying: masked first
        break;
    }
    case QEvent::FocusOut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
        edit->setEchoMode(QLineEdit::Password);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void DlgChangeKeys::setDevEui(const QByteArray &devEui)
{
    m_ui->label_DevEUI->setText(devEui.isEmpty() ? QStringLiteral("--") : Hex::upper(devEui));
}

void DlgChangeKeys::on_pushButton_Write_pressed()
{
    const QString appEuiText = m_ui->lineEdit_AppEUI->text();
    const QString appKeyText = m_ui->lineEdit_AppKey->text();
    QStringList problems;
    for (const QString &p : {LoRaWanKeys::entryProblem(LoRaWanKeys::kAppEuiParamId, appEuiText),
                             LoRaWanKeys::entryProblem(LoRaWanKeys::kAppKeyParamId, appKeyText)}) {
        if (!p.isEmpty())
            problems << p;
    }
    if (!problems.isEmpty()) {
        // A shorter key would be written as fewer bytes, and the device could never join.
        reporter().warning(tr("Change LoRaWAN keys"), problems.join(QLatin1Char('\n')), this);
        return;
    }
    emit writeNewKeys(LoRaWanKeys::decodeKey(appEuiText, LoRaWanKeys::kAppEuiParamId),
                      LoRaWanKeys::decodeKey(appKeyText, LoRaWanKeys::kAppKeyParamId));
}

void DlgChangeKeys::writeSuccessSlot()
{
    // setText (unlike clear) also drops the undo history, so the key can't be brought back.
    m_ui->lineEdit_AppEUI->setText(QString());
    m_ui->lineEdit_AppKey->setText(QString());
    m_ui->pushButton_Write->setText(tr("Success"));
    m_ui->pushButton_Write->setStyleSheet(kSuccessStyle);
    // A timer rather than a nested event loop: a second press meanwhile can't start a write
    // inside this one.
    m_successTimer.start();
}

void DlgChangeKeys::restoreButton()
{
    m_ui->pushButton_Write->setText(tr("Change Keys"));
    m_ui->pushButton_Write->setStyleSheet(QString());
}
