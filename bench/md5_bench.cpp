// MD5 throughput of our digest against OpenSSL's MD5 on the same buffers in the same run.
#define OPENSSL_SUPPRESS_DEPRECATED  // the low-level MD5 calls are the fair peer
#include <benchmark/benchmark.h>
#include <openssl/md5.h>

#include <cstdint>
#include <string>

#include "report/md5.h"

namespace {

const std::string& Buffer(size_t size) {
    static std::string bytes;
    if (bytes.size() < size) {
        bytes.resize(size);
        uint32_t x = 12345;
        for (char& c : bytes) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 24);
        }
    }
    return bytes;
}

std::string OpenSslHex(const void* data, size_t size) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5_CTX context;
    MD5_Init(&context);
    MD5_Update(&context, data, size);
    MD5_Final(digest, &context);
    static const char kHex[] = "0123456789abcdef";
    std::string hex(32, '0');
    for (int i = 0; i < MD5_DIGEST_LENGTH; ++i) {
        hex[2 * i] = kHex[digest[i] >> 4];
        hex[2 * i + 1] = kHex[digest[i] & 15];
    }
    return hex;
}

std::string OurHex(const void* data, size_t size) {
    CMD5 md5;
    md5.Update(data, size);
    return md5.FinalHex();
}

template <std::string (*Digest)(const void*, size_t)>
void BM_Md5(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(0));
    const std::string& bytes = Buffer(size);
    if (OurHex(bytes.data(), size) != OpenSslHex(bytes.data(), size)) {
        state.SkipWithError("digests differ");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(Digest(bytes.data(), size));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

BENCHMARK_TEMPLATE(BM_Md5, OurHex)
    ->Name("BM_Md5Ours")
    ->Arg(64)
    ->Arg(1 << 10)
    ->Arg(1 << 16)
    ->Arg(1 << 20);
BENCHMARK_TEMPLATE(BM_Md5, OpenSslHex)
    ->Name("BM_Md5OpenSsl")
    ->Arg(64)
    ->Arg(1 << 10)
    ->Arg(1 << 16)
    ->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
