#include "sim/SimUsbHid.h"
#include "common/Bytes.h"
#include "device/protocol/Protocol.h"

#include "links/CommUsbHid.h"
#include "links/HidApi.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"

#include <QtDebug>

#include <hidapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kRequestHeaderSize = Protocol::kHeaderSize;
enum OutputReportByte : int
{
    kOutReportId = 0,
    kOutLengthByte = 1,
    kOutPayload = 2
};

const wchar_t kManufacturer[] = L"Simulated device";

/// One handle given out by openPath. It lives as long as the plug-in it was opened in.
struct SimHandle
{
    SimDevice *device = nullptr;
    int plugIn = 0;
    bool alive = true;       ///< false once another device was installed
    bool infoCached = false; ///< the device information was read once (hidapi 0.13 keeps it)
};

struct State
{
    SimDevice *device = nullptr;
    std::vector<std::unique_ptr<SimHandle>> handles;
    QByteArray request;        ///< payload bytes of the request being received
    QList<QByteArray> reports; ///< input reports waiting for the host
    int requestCount = 0;
    bool accessDenied = false; ///< the device nodes refuse this user: listed, never opened
};

State &state()
{
    static State s;
    return s;
}

hid_device *toHid(SimHandle *h)
{
    return reinterpret_cast<hid_device *>(h);
}

SimHandle *findHandle(hid_device *dev)
{
    for (const auto &h : state().handles) {
        if (toHid(h.get()) == dev)
            return h.get();
    }
    return nullptr;
}

void resetTraffic()
{
    state().request.clear();
    state().reports.clear();
}

void killHandles()
{
    for (const auto &h : state().handles)
        h->alive = false;
    resetTraffic();
}

/// Whether dev is a live handle: opened on the attached device during its current plug-in.
bool linkUp(hid_device *dev)
{
    const State &s = state();
    const SimHandle *h = findHandle(dev);
    return h && h->alive && s.device && h->device == s.device && s.device->isPlugged() &&
           h->plugIn == s.device->plugIns();
}

/// linkUp, and what was under way is dropped when the device is gone.
bool usable(hid_device *dev)
{
    const State &s = state();
    if (!s.device || !s.device->isPlugged())
        resetTraffic();
    return linkUp(dev);
}

/// The path the device has under an identity during its current plug-in.
QByteArray pathOf(const UsbHidIdentity &id)
{
    return QStringLiteral("sim-hid:%1:%2:%3")
        .arg(id.vendorId, 4, 16, QChar('0'))
        .arg(id.productId, 4, 16, QChar('0'))
        .arg(state().device->plugIns())
        .toLatin1();
}

hid_device_info *simEnumerate(unsigned short vendorId, unsigned short productId)
{
    const State &s = state();
    if (!s.device || !s.device->isPlugged())
        return nullptr;
    hid_device_info *first = nullptr;
    hid_device_info **link = &first;
    for (const UsbHidIdentity &id : CommUsbHid::kIdentities) {
        if ((vendorId != 0 && vendorId != id.vendorId) || (productId != 0 && productId != id.productId))
            continue;
        auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
        if (!info)
            break;
        info->path = strdup(pathOf(id).constData());
        info->vendor_id = id.vendorId;
        info->product_id = id.productId;
        info->interface_number = -1;
        *link = info;
        link = &info->next;
    }
    return first;
}

void simFreeEnumeration(hid_device_info *devices)
{
    while (devices) {
        hid_device_info *next = devices->next;
        std::free(devices->path);
        std::free(devices);
        devices = next;
    }
}

void deliverWholeRequests()
{
    State &s = state();
    while (s.request.size() >= kRequestHeaderSize) {
        const int payload = Bytes::le16(s.request, Protocol::kHdrLengthLow);
        const int total = kRequestHeaderSize + payload;
        if (s.request.size() < total)
            return;
        const QByteArray message = s.request.left(total);
        s.request.remove(0, total);
        ++s.requestCount;
        const QList<QByteArray> answers = s.device->handleRequest(message);
        for (const QByteArray &answer : answers)
            s.reports += SimUsbHid::toInputReports(answer);
    }
}

hid_device *simOpenPath(const char *path)
{
    State &s = state();
    if (!s.device || !s.device->isPlugged() || !path)
        return nullptr;
    const bool listed =
        std::any_of(CommUsbHid::kIdentities.begin(), CommUsbHid::kIdentities.end(),
                    [path](const UsbHidIdentity &id) { return pathOf(id) == QByteArray(path); });
    if (!listed || s.accessDenied)
        return nullptr;
    resetTraffic();
    auto handle = std::make_unique<SimHandle>();
    handle->device = s.device;
    handle->plugIn = s.device->plugIns();
    s.handles.push_back(std::move(handle));
    return toHid(s.handles.back().get());
}

void simClose(hid_device *dev)
{
    auto &handles = state().handles;
    handles.erase(
        std::remove_if(handles.begin(), handles.end(),
                       [dev](const std::unique_ptr<SimHandle> &h) { return toHid(h.get()) == dev; }),
        handles.end());
}

int simWrite(hid_device *dev, const unsigned char *data, size_t length)
{
    if (!usable(dev))
        return -1;
    if (!data || length != size_t(CommUsbHid::kOutputReportSize) || data[kOutReportId] != 0)
        return -1;
    const int payload = data[kOutLengthByte];
    if (payload <= CommUsbHid::kMaxReportPayload) {
        const QByteArray bytes(reinterpret_cast<const char *>(data + kOutPayload), payload);
        // A controller in its bootloader takes the link's bytes as they come.
        if (!state().device->bootloaders().hostBytes(bytes)) {
            state().request.append(bytes);
            deliverWholeRequests();
        }
    }
    return int(length);
}

int simReadTimeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    if (!usable(dev) || !data)
        return -1;
    State &s = state();
    if (s.reports.isEmpty()) {
        // Only a bootloader may send later (or never): it waits for the timeout itself.
        const QByteArray bytes =
            s.device->bootloaders().deviceBytes(CommUsbHid::kMaxReportPayload, milliseconds);
        s.reports += SimUsbHid::toInputReports(bytes);
    }
    if (s.reports.isEmpty())
        return 0;
    const QByteArray report = s.reports.takeFirst();
    const size_t n = std::min(length, size_t(report.size()));
    std::memcpy(data, report.constData(), n);
    return int(n);
}

int simManufacturer(hid_device *dev, wchar_t *string, size_t maxlen)
{
    SimHandle *h = findHandle(dev);
    if (!h || !string || maxlen == 0)
        return -1;
    if (!h->infoCached && !linkUp(dev))
        return -1;
    h->infoCached = true;
    const size_t n = std::min(maxlen - 1, std::wcslen(kManufacturer));
    std::wmemcpy(string, kManufacturer, n);
    string[n] = L'\0';
    return 0;
}

const HidApi kSimHidApi = {simEnumerate,   simFreeEnumeration, simOpenPath,    simClose,
                           simReadTimeout, simWrite,           simManufacturer};

} // namespace

namespace SimUsbHid {

void install(SimDevice *device)
{
    State &s = state();
    killHandles();
    s.device = device;
    s.requestCount = 0;
    setHidApi(&kSimHidApi);
}

void uninstall()
{
    State &s = state();
    if (!s.handles.empty())
        qWarning() << "SimUsbHid: uninstalled with" << s.handles.size() << "handles still open";
    s.handles.clear();
    resetTraffic();
    s.device = nullptr;
    s.accessDenied = false;
    setHidApi(nullptr);
}

void setAccessDenied(bool denied)
{
    state().accessDenied = denied;
}

bool isInstalled()
{
    return &hidApi() == &kSimHidApi;
}

SimDevice *device()
{
    return state().device;
}

int requestCount()
{
    return state().requestCount;
}

int pendingReports()
{
    return state().reports.size();
}

QList<QByteArray> toInputReports(const QByteArray &message)
{
    QList<QByteArray> reports;
    for (int offset = 0; offset < message.size(); offset += CommUsbHid::kMaxReportPayload) {
        const QByteArray chunk = message.mid(offset, CommUsbHid::kMaxReportPayload);
        QByteArray report(CommUsbHid::kReportSize, '\0');
        report[0] = char(chunk.size());
        std::memcpy(report.data() + 1, chunk.constData(), size_t(chunk.size()));
        reports.append(report);
    }
    return reports;
}

} // namespace SimUsbHid
