#pragma once
// The hidapi functions the USB transport uses, as a table of function pointers. It points
// at the real library by default; the simulated device and the tests install their own.

#include <cstddef>
#include <cwchar>

struct hid_device_;
typedef struct hid_device_ hid_device;

struct HidApi
{
    hid_device *(*open)(unsigned short vendorId, unsigned short productId, const wchar_t *serial);
    void (*close)(hid_device *dev);
    int (*readTimeout)(hid_device *dev, unsigned char *data, size_t length, int milliseconds);
    int (*write)(hid_device *dev, const unsigned char *data, size_t length);
    int (*getManufacturerString)(hid_device *dev, wchar_t *string, size_t maxlen);
};

/// The table in use.
const HidApi &hidApi();
/// Installs a table (the simulator, a test fake); null restores the real library.
void setHidApi(const HidApi *api);
