// The engine's entry points and the conversions of script values for native code.
#include <duktape.h>

#include <atomic>
#include <cmath>
#include <new>

#include "webengine/js_value.h"
#include "webengine/script_host.h"
#include "webengine/text_util.h"
#include "webengine/web_engine.h"
#include "webengine/web_view.h"

using webengine::ScriptHost;
namespace jsv = webengine::jsv;

namespace {

std::atomic<int> g_initialised{0};

bool Usable(jsExecState es) {
    return es != nullptr && es->host != nullptr && es->ctx != nullptr;
}

duk_ret_t ToNumberSafely(duk_context* ctx, void*) {
    duk_to_number(ctx, -1);
    return 1;
}

// The value as a double by script conversion; strings and objects go through the engine.
double NumberOf(jsExecState es, jsValue v) {
    if (!jsv::IsTagged(v)) return jsv::DoubleOf(v);
    switch (jsv::KindOf(v)) {
        case jsv::Int:
            return jsv::IntOf(v);
        case jsv::True:
            return 1;
        case jsv::False:
        case jsv::Null:
            return 0;
        case jsv::Undefined:
            return std::nan("");
        default:
            break;
    }
    if (!Usable(es)) return std::nan("");
    duk_context* ctx = es->ctx;
    es->host->pushValue(ctx, v);
    double d = std::nan("");
    if (duk_safe_call(ctx, &ToNumberSafely, nullptr, 1, 1) == DUK_EXEC_SUCCESS) {
        d = duk_get_number(ctx, -1);
    }
    duk_pop(ctx);
    return d;
}

}  // namespace

void wvInit() {
    g_initialised.fetch_add(1);
}

void wvShutdown() {
    int current = g_initialised.load();
    while (current > 0 && !g_initialised.compare_exchange_weak(current, current - 1)) {
    }
}

wvWebView* wvCreateWebView() {
    if (g_initialised.load() <= 0) return nullptr;
    return new (std::nothrow) webengine::WebView();
}

void wvDestroyWebView(wvWebView* view) {
    if (view == nullptr) return;
    static_cast<webengine::WebView*>(view)->destroy();
}

void jsBindFunction(const char* name, jsNativeFunction fn, unsigned int argCount) {
    webengine::RegisterBinding(name, fn, argCount);
}

jsValue jsArg(jsExecState es, int index) {
    if (!Usable(es) || index < 0 || index >= es->argc) return jsv::Make(jsv::Undefined);
    return es->host->keepValue(index);
}

int jsArgCount(jsExecState es) {
    return Usable(es) ? es->argc : 0;
}

int jsToInt(jsExecState es, jsValue v) {
    if (jsv::IsTagged(v) && jsv::KindOf(v) == jsv::Int) return jsv::IntOf(v);
    return jsv::ToInt32(NumberOf(es, v));
}

double jsToDouble(jsExecState es, jsValue v) {
    return NumberOf(es, v);
}

bool jsToBoolean(jsExecState es, jsValue v) {
    if (!jsv::IsTagged(v)) {
        double d = jsv::DoubleOf(v);
        return d != 0 && !std::isnan(d);
    }
    switch (jsv::KindOf(v)) {
        case jsv::True:
            return true;
        case jsv::Int:
            return jsv::IntOf(v) != 0;
        case jsv::Slot: {
            if (!Usable(es)) return false;
            es->host->pushValue(es->ctx, v);
            bool b = duk_to_boolean(es->ctx, -1);
            duk_pop(es->ctx);
            return b;
        }
        default:
            return false;
    }
}

const wchar_t* jsToStringW(jsExecState es, jsValue v) {
    static const wchar_t kEmpty[] = L"";
    if (!Usable(es)) {
        // Without a page there is nowhere to keep text; simple values still convert.
        if (jsv::IsTagged(v) && jsv::KindOf(v) == jsv::True) return L"true";
        if (jsv::IsTagged(v) && jsv::KindOf(v) == jsv::False) return L"false";
        if (jsv::IsTagged(v) && jsv::KindOf(v) == jsv::Null) return L"null";
        if (jsv::IsTagged(v) && jsv::KindOf(v) == jsv::Undefined) return L"undefined";
        return kEmpty;
    }
    duk_context* ctx = es->ctx;
    es->host->pushValue(ctx, v);
    std::string text = webengine::ScriptString(ctx, -1);
    duk_pop(ctx);
    return es->host->keepText(webengine::Utf8ToWide(text));
}

jsValue jsTrue() {
    return jsv::Make(jsv::True);
}

jsValue jsFalse() {
    return jsv::Make(jsv::False);
}

jsValue jsUndefined() {
    return jsv::Make(jsv::Undefined);
}

jsValue jsNull() {
    return jsv::Make(jsv::Null);
}

jsValue jsInt(int n) {
    return jsv::FromInt(n);
}

jsValue jsDouble(double d) {
    return jsv::FromDouble(d);
}

jsValue jsStringW(jsExecState es, const wchar_t* text) {
    if (!Usable(es)) return jsv::Make(jsv::Undefined);
    std::string utf8 = webengine::WideToUtf8(text != nullptr ? text : L"");
    duk_push_lstring(es->ctx, utf8.data(), utf8.size());
    jsValue v = es->host->keepValue(-1);
    duk_pop(es->ctx);
    return v;
}

bool jsIsNumber(jsValue v) {
    return !jsv::IsTagged(v) || jsv::KindOf(v) == jsv::Int;
}

bool jsIsUndefined(jsValue v) {
    return jsv::IsTagged(v) && jsv::KindOf(v) == jsv::Undefined;
}
