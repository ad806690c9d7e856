// Application control, bundles and asynchronous launches.
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "app_control.h"
#include "aul.h"
#include "bundle.h"
#include "fallible.h"
#include "sim_world.h"

struct app_control_s {
    std::string appId;
    vsim::Extras extras;
};

struct bundle_s {
    vsim::Extras extras;
};

namespace {

void Put(vsim::Extras& extras, const char* key, const char* value) {
    for (auto& extra : extras) {
        if (extra.first == key) {
            extra.second = value;
            return;
        }
    }
    extras.emplace_back(key, value);
}

void RecordLaunch(const std::string& appId, const vsim::Extras& extras, const char* via) {
    vsim::Entry entry;
    entry.kind = "launch";
    entry.name = appId;
    entry.extras = extras;
    entry.via = via;
    for (const auto& extra : extras) {
        if (!entry.text.empty()) entry.text += ' ';
        entry.text += extra.first + "=\"" + extra.second + "\"";
    }
    vsim::Record(std::move(entry));
}

}  // namespace

namespace vsim {

Extras AppControlExtras(app_control_h handle) { return handle ? handle->extras : Extras(); }

std::string AppControlAppId(app_control_h handle) { return handle ? handle->appId : std::string(); }

}  // namespace vsim

extern "C" {

int app_control_create(app_control_h* app_control) {
    VSIM_FALLIBLE("app_control_create", APP_CONTROL_ERROR_OUT_OF_MEMORY);
    vsim::RecordCall("app_control_create");
    if (!app_control) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    int ret = vsim::CallResult("app_control_create", APP_CONTROL_ERROR_NONE);
    if (ret != APP_CONTROL_ERROR_NONE) return ret;
    *app_control = new app_control_s;
    vsim::Held(*app_control, "app_control_create", __builtin_return_address(0));
    return APP_CONTROL_ERROR_NONE;
}

int app_control_destroy(app_control_h app_control) {
    vsim::RecordCall("app_control_destroy");
    if (!app_control) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    delete app_control;
    return APP_CONTROL_ERROR_NONE;
}

int app_control_add_extra_data(app_control_h app_control, const char* key, const char* value) {
    VSIM_FALLIBLE("app_control_add_extra_data", APP_CONTROL_ERROR_OUT_OF_MEMORY);
    vsim::RecordCall("app_control_add_extra_data",
                     std::string(key ? key : "(null)") + " " + (value ? value : "(null)"));
    if (!app_control || !key || !value || !*key) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    Put(app_control->extras, key, value);
    return APP_CONTROL_ERROR_NONE;
}

int app_control_get_extra_data(app_control_h app_control, const char* key, char** value) {
    VSIM_FALLIBLE("app_control_get_extra_data", APP_CONTROL_ERROR_OUT_OF_MEMORY);
    vsim::RecordCall("app_control_get_extra_data", key ? key : "(null)");
    if (!app_control || !key || !value) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    for (const auto& extra : app_control->extras) {
        if (extra.first == key) {
            *value = strdup(extra.second.c_str());
            vsim::Held(*value, "app_control_get_extra_data", __builtin_return_address(0));
            return *value ? APP_CONTROL_ERROR_NONE : APP_CONTROL_ERROR_OUT_OF_MEMORY;
        }
    }
    return APP_CONTROL_ERROR_KEY_NOT_FOUND;
}

int app_control_set_app_id(app_control_h app_control, const char* app_id) {
    VSIM_FALLIBLE("app_control_set_app_id", APP_CONTROL_ERROR_OUT_OF_MEMORY);
    vsim::RecordCall("app_control_set_app_id", app_id ? app_id : "(null)");
    if (!app_control) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    app_control->appId = app_id ? app_id : "";
    return APP_CONTROL_ERROR_NONE;
}

int app_control_send_launch_request(app_control_h app_control, app_control_reply_cb, void*) {
    VSIM_FALLIBLE("app_control_send_launch_request", APP_CONTROL_ERROR_LAUNCH_FAILED);
    vsim::RecordCall("app_control_send_launch_request", app_control ? app_control->appId : "(null)");
    if (!app_control) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    int ret = vsim::CallResult("app_control_send_launch_request[" + app_control->appId + "]", APP_CONTROL_ERROR_NONE);
    if (ret == APP_CONTROL_ERROR_NONE) RecordLaunch(app_control->appId, app_control->extras, "app_control");
    return ret;
}

bundle* bundle_create(void) {
    VSIM_FALLIBLE("bundle_create", nullptr);
    vsim::RecordCall("bundle_create");
    if (vsim::CallResult("bundle_create", 0) != 0) return nullptr;
    bundle* b = new bundle_s;
    vsim::Held(b, "bundle_create", __builtin_return_address(0));
    return b;
}

int bundle_add(bundle* b, const char* key, const char* value) {
    VSIM_FALLIBLE("bundle_add", -12);
    vsim::RecordCall("bundle_add", std::string(key ? key : "(null)") + " " + (value ? value : "(null)"));
    if (!b || !key || !value) return -22;
    for (const auto& extra : b->extras)
        if (extra.first == key) return -17;  // a bundle keeps the first value of a key
    b->extras.emplace_back(key, value);
    return 0;
}

int bundle_free(bundle* b) {
    vsim::RecordCall("bundle_free");
    if (!b) return -22;
    delete b;
    return 0;
}

int aul_launch_app_async(const char* appid, bundle* kb) {
    VSIM_FALLIBLE("aul_launch_app_async", -1);
    vsim::RecordCall("aul_launch_app_async", appid ? appid : "(null)");
    if (!appid) return -22;
    int ret = vsim::CallResult(std::string("aul_launch_app_async[") + appid + "]", 4242);
    if (ret > 0) RecordLaunch(appid, kb ? kb->extras : vsim::Extras(), "aul");
    return ret;
}

}  // extern "C"
