// SPDX-License-Identifier: MIT
// The smallest program with the app's stack: a Qt Widgets window the size of
// the popup showing the same kind of text (colour emoji, en dash), plus, when
// built with FIXTORA_FLOOR_STACK, the core's libraries set up the way the app
// sets them up (libcurl with one request, ICU with one date pattern, OpenSSL
// with one SHA-256). Once shown it prints its peak resident set size, its
// resident set size and its private dirty memory, in kB.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#ifdef FIXTORA_FLOOR_STACK
#include <curl/curl.h>
#include <openssl/evp.h>
#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#endif

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// The value in kB of the line `key` of a /proc file, or -1.
long kilobytes(const char* file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
    return -1;
}

#ifdef FIXTORA_FLOOR_STACK
void touchTheCore(const char* url) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    if (CURL* easy = curl_easy_init()) {
        curl_easy_setopt(easy, CURLOPT_URL, url);
        curl_easy_setopt(
            easy, CURLOPT_WRITEFUNCTION,
            +[](char*, size_t size, size_t count, void*) { return size * count; });
        curl_easy_perform(easy);
        curl_easy_cleanup(easy);
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString("EEEE,  d MMM"), status);
    icu::UnicodeString text;
    format.format(icu::Calendar::getNow(), text);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest("fixtora", 7, digest, &length, EVP_sha256(), nullptr);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef FIXTORA_FLOOR_STACK
    touchTheCore(argc > 1 ? argv[1] : "http://127.0.0.1:8765/updates/feed.json");
#endif
    QLabel label(QString::fromUtf8("⚽  Premier League\nRIP 1–1 ELL  HT  ⚠️"));
    label.resize(380, 520);
    label.show();
    QTimer::singleShot(1500, [] {
        std::printf("%ld %ld %ld\n", kilobytes("/proc/self/status", "VmHWM"),
                    kilobytes("/proc/self/smaps_rollup", "Rss"),
                    kilobytes("/proc/self/smaps_rollup", "Private_Dirty"));
        QCoreApplication::quit();
    });
    return QApplication::exec();
}
