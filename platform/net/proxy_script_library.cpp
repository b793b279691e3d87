#include "platform/net/proxy_script_library.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace {

// Helpers written in script; the two that need the network call the natives below.
// Times: the optional last argument "GMT" switches from local time to UTC. Ranges whose first
// bound lies after the second wrap around (FRI to MON, 22 to 6 o'clock, NOV to FEB); ranges of
// whole dates and years do not.
const char kLibrary[] = R"JS(
function alert() {}
function isPlainHostName(host) {
    return String(host).indexOf('.') === -1;
}
function dnsDomainIs(host, domain) {
    host = String(host).toLowerCase();
    domain = String(domain).toLowerCase();
    return host.length >= domain.length &&
        host.substring(host.length - domain.length) === domain;
}
function localHostOrDomainIs(host, hostdom) {
    host = String(host).toLowerCase();
    hostdom = String(hostdom).toLowerCase();
    if (host === hostdom) return true;
    return host.indexOf('.') === -1 && hostdom.indexOf(host + '.') === 0;
}
function dnsResolve(host) {
    return __pacResolve(String(host));
}
function isResolvable(host) {
    return dnsResolve(host) !== null;
}
function myIpAddress() {
    return __pacMyAddress();
}
function dnsDomainLevels(host) {
    return String(host).split('.').length - 1;
}
function __pacAddressValue(text) {
    var m = /^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$/.exec(String(text));
    if (!m) return null;
    var value = 0;
    for (var i = 1; i <= 4; i++) {
        var part = Number(m[i]);
        if (part > 255) return null;
        value = value * 256 + part;
    }
    return value;
}
function isInNet(host, pattern, mask) {
    var address = __pacAddressValue(host);
    if (address === null) {
        var resolved = dnsResolve(host);
        if (resolved === null) return false;
        address = __pacAddressValue(resolved);
    }
    var net = __pacAddressValue(pattern);
    var bits = __pacAddressValue(mask);
    if (address === null || net === null || bits === null) return false;
    return ((address & bits) >>> 0) === ((net & bits) >>> 0);
}
function shExpMatch(str, shexp) {
    var source = '^';
    shexp = String(shexp);
    for (var i = 0; i < shexp.length; i++) {
        var c = shexp.charAt(i);
        if (c === '*') source += '[\\s\\S]*';
        else if (c === '?') source += '[\\s\\S]';
        else if ('\\^$.|+()[]{}/'.indexOf(c) !== -1) source += '\\' + c;
        else source += c;
    }
    return new RegExp(source + '$').test(String(str));
}
var __pacDays = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var __pacMonths = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
function __pacArgs(args) {
    var list = Array.prototype.slice.call(args);
    var gmt = list.length > 0 && String(list[list.length - 1]).toUpperCase() === 'GMT';
    if (gmt) list.pop();
    return { list: list, gmt: gmt, now: new Date() };
}
function __pacWithin(value, first, last) {
    return first <= last ? (first <= value && value <= last) : (value >= first || value <= last);
}
function __pacInteger(value) {
    var n = Number(value);
    return (typeof value === 'number' || /^\s*\d+\s*$/.test(String(value))) &&
        n === Math.floor(n) ? n : null;
}
function weekdayRange() {
    var a = __pacArgs(arguments);
    if (a.list.length < 1 || a.list.length > 2) return false;
    var today = a.gmt ? a.now.getUTCDay() : a.now.getDay();
    var first = __pacDays.indexOf(String(a.list[0]).toUpperCase());
    var last = a.list.length === 2 ? __pacDays.indexOf(String(a.list[1]).toUpperCase()) : first;
    if (first < 0 || last < 0) return false;
    return __pacWithin(today, first, last);
}
function dateRange() {
    var a = __pacArgs(arguments);
    var day = a.gmt ? a.now.getUTCDate() : a.now.getDate();
    var month = a.gmt ? a.now.getUTCMonth() : a.now.getMonth();
    var year = a.gmt ? a.now.getUTCFullYear() : a.now.getFullYear();
    var kinds = '';
    var values = [];
    for (var i = 0; i < a.list.length; i++) {
        var m = __pacMonths.indexOf(String(a.list[i]).toUpperCase());
        if (m >= 0) {
            kinds += 'M';
            values.push(m);
            continue;
        }
        var n = __pacInteger(a.list[i]);
        if (n === null) return false;
        kinds += n > 31 ? 'Y' : 'D';
        values.push(n);
    }
    var v = values;
    switch (kinds) {
    case 'D': return day === v[0];
    case 'M': return month === v[0];
    case 'Y': return year === v[0];
    case 'DD': return __pacWithin(day, v[0], v[1]);
    case 'MM': return __pacWithin(month, v[0], v[1]);
    case 'YY': return v[0] <= year && year <= v[1];
    case 'DMDM':
        return __pacWithin(month * 32 + day, v[1] * 32 + v[0], v[3] * 32 + v[2]);
    case 'MYMY':
        var ym = year * 12 + month;
        return v[1] * 12 + v[0] <= ym && ym <= v[3] * 12 + v[2];
    case 'DMYDMY':
        var ymd = (year * 12 + month) * 32 + day;
        return (v[2] * 12 + v[1]) * 32 + v[0] <= ymd && ymd <= (v[5] * 12 + v[4]) * 32 + v[3];
    }
    return false;
}
function timeRange() {
    var a = __pacArgs(arguments);
    var n = [];
    for (var i = 0; i < a.list.length; i++) {
        var value = __pacInteger(a.list[i]);
        if (value === null) return false;
        n.push(value);
    }
    var hour = a.gmt ? a.now.getUTCHours() : a.now.getHours();
    var minute = a.gmt ? a.now.getUTCMinutes() : a.now.getMinutes();
    var second = a.gmt ? a.now.getUTCSeconds() : a.now.getSeconds();
    var now = hour * 3600 + minute * 60 + second;
    var start, end;
    switch (n.length) {
    case 1: return hour === n[0];
    case 2: start = n[0] * 3600; end = n[1] * 3600; break;
    case 4: start = n[0] * 3600 + n[1] * 60; end = n[2] * 3600 + n[3] * 60; break;
    case 6:
        start = n[0] * 3600 + n[1] * 60 + n[2];
        end = n[3] * 3600 + n[4] * 60 + n[5];
        break;
    default: return false;
    }
    return __pacWithin(now, start, end);
}
)JS";

// dnsResolve: the first IPv4 address of a name, or null.
duk_ret_t Resolve(duk_context* ctx) {
    const char* host = duk_safe_to_string(ctx, 0);
    struct addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    struct addrinfo* found = nullptr;
    if (host[0] == '\0' || getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        duk_push_null(ctx);
        return 1;
    }
    char text[INET_ADDRSTRLEN] = {0};
    const auto* address = reinterpret_cast<const struct sockaddr_in*>(found->ai_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text)) != nullptr) {
        duk_push_string(ctx, text);
    } else {
        duk_push_null(ctx);
    }
    freeaddrinfo(found);
    return 1;
}

// myIpAddress: the first IPv4 address of an interface that is up and not loopback.
duk_ret_t MyAddress(duk_context* ctx) {
    char text[INET_ADDRSTRLEN] = "127.0.0.1";
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (struct ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
            if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
            if ((it->ifa_flags & IFF_UP) == 0 || (it->ifa_flags & IFF_LOOPBACK) != 0) continue;
            const auto* address = reinterpret_cast<const struct sockaddr_in*>(it->ifa_addr);
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text)) != nullptr) break;
        }
        freeifaddrs(list);
    }
    duk_push_string(ctx, text);
    return 1;
}

}  // namespace

bool InstallProxyScriptLibrary(duk_context* ctx) {
    duk_push_c_function(ctx, Resolve, 1);
    duk_put_global_string(ctx, "__pacResolve");
    duk_push_c_function(ctx, MyAddress, 0);
    duk_put_global_string(ctx, "__pacMyAddress");
    if (duk_peval_lstring(ctx, kLibrary, sizeof(kLibrary) - 1) != 0) {
        duk_pop(ctx);
        return false;
    }
    duk_pop(ctx);
    return true;
}
