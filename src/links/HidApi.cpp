#include "links/HidApi.h"

#include <hidapi.h>

namespace {

const HidApi kRealHidApi = {
    hid_enumerate, hid_free_enumeration,        hid_open_path, hid_close, hid_read_timeout,
    hid_write,     hid_get_manufacturer_string,
};

const HidApi *s_installed = nullptr;

} // namespace

const HidApi &hidApi()
{
    return s_installed ? *s_installed : kRealHidApi;
}

void setHidApi(const HidApi *api)
{
    s_installed = api;
}
