#pragma once
// The hidapi functions the USB transport uses, as a table of function pointers. It points
// at the real library by default; the simulated device and the tests install their own.
//
// A device is found in the enumeration and opened by its path. The enumeration is also how
// presence is told: hidapi 0.13 reads a handle's device information (manufacturer string and
// the like) once and answers every later request from that copy, even after the cable was
// pulled, so those requests say nothing about the device still being there.

#include <cstddef>
#include <cwchar>

struct hid_device_;
typedef struct hid_device_ hid_device;
struct hid_device_info;

struct HidApi
{
    /// The HID devices present with these ids (0 matches any), as a list to hand back to
    /// freeEnumeration; null when there is none.
    hid_device_info *(*enumerate)(unsigned short vendorId, unsigned short productId);
    void (*freeEnumeration)(hid_device_info *devices);
    /// Opens the device at a path of the enumeration; null when that fails.
    hid_device *(*openPath)(const char *path);
    void (*close)(hid_device *dev);
    int (*readTimeout)(hid_device *dev, unsigned char *data, size_t length, int milliseconds);
    int (*write)(hid_device *dev, const unsigned char *data, size_t length);
    int (*getManufacturerString)(hid_device *dev, wchar_t *string, size_t maxlen);
};

/// The table in use.
const HidApi &hidApi();
/// Installs a table (the simulator, a test fake); null restores the real library.
void setHidApi(const HidApi *api);
