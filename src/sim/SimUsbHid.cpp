#include "sim/SimUsbHid.h"

#include "links/CommUsbHid.h"
#include "links/HidApi.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"

#include <QtDebug>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

/// Request header: link code, command, payload length (low, high).
enum RequestHeaderByte : int
{
    kReqLengthLow = 2,
    kReqLengthHigh = 3,
    kRequestHeaderSize = 4
};
enum OutputReportByte : int
{
    kOutReportId = 0,
    kOutLengthByte = 1,
    kOutPayload = 2
};

const wchar_t kManufacturer[] = L"Simulated device";

/// One handle given out by open. A handle dies when the device is seen unplugged.
struct SimHandle
{
    bool alive = true;
};

struct State
{
    SimDevice *device = nullptr;
    std::vector<std::unique_ptr<SimHandle>> handles;
    QByteArray request;        ///< payload bytes of the request being received
    QList<QByteArray> reports; ///< input reports waiting for the host
    int requestCount = 0;
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

/// Whether dev is a live handle of a plugged device; notices an unplug on the way.
bool linkUp(hid_device *dev)
{
    State &s = state();
    if (!s.device || !s.device->isPlugged()) {
        killHandles();
        return false;
    }
    const SimHandle *h = findHandle(dev);
    return h && h->alive;
}

bool isDeviceIdentity(unsigned short vendorId, unsigned short productId)
{
    return std::any_of(
        CommUsbHid::kIdentities.begin(), CommUsbHid::kIdentities.end(),
        [&](const UsbHidIdentity &id) { return id.vendorId == vendorId && id.productId == productId; });
}

void deliverWholeRequests()
{
    State &s = state();
    while (s.request.size() >= kRequestHeaderSize) {
        const int payload = quint8(s.request.at(kReqLengthLow)) | (quint8(s.request.at(kReqLengthHigh)) << 8);
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

hid_device *simOpen(unsigned short vendorId, unsigned short productId, const wchar_t *serial)
{
    State &s = state();
    if (!s.device || !s.device->isPlugged() || serial || !isDeviceIdentity(vendorId, productId))
        return nullptr;
    resetTraffic();
    s.handles.push_back(std::make_unique<SimHandle>());
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
    if (!linkUp(dev) || !data || length != size_t(CommUsbHid::kOutputReportSize) || data[kOutReportId] != 0)
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
    if (!linkUp(dev) || !data)
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
    if (!linkUp(dev) || !string || maxlen == 0)
        return -1;
    const size_t n = std::min(maxlen - 1, std::wcslen(kManufacturer));
    std::wmemcpy(string, kManufacturer, n);
    string[n] = L'\0';
    return 0;
}

const HidApi kSimHidApi = {simOpen, simClose, simReadTimeout, simWrite, simManufacturer};

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
    setHidApi(nullptr);
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
