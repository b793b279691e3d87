// The helper functions an automatic proxy script may call, for a duktape context.
#pragma once

#include <duktape.h>

// Defines isPlainHostName, dnsDomainIs, localHostOrDomainIs, isResolvable, isInNet, dnsResolve,
// myIpAddress, dnsDomainLevels, shExpMatch, weekdayRange, dateRange, timeRange and alert as
// globals. Returns false when the context could not take them.
bool InstallProxyScriptLibrary(duk_context* ctx);
