#include "config/utc_time.h"

#include <chrono>

namespace valdro {
namespace {

// Writes n digits of v, zero-padded, and returns the position after them.
char* PutDecimal(char* p, unsigned v, int n) {
    for (int i = n - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return p + n;
}

}  // namespace

char* PutUtcTimestamp(char* p) {
    // The C++ calendar rather than gmtime_r, which Windows does not have.
    using namespace std::chrono;
    const auto now = floor<milliseconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    p = PutDecimal(p, static_cast<unsigned>(static_cast<int>(date.year())), 4);
    *p++ = '-';
    p = PutDecimal(p, static_cast<unsigned>(date.month()), 2);
    *p++ = '-';
    p = PutDecimal(p, static_cast<unsigned>(date.day()), 2);
    *p++ = 'T';
    p = PutDecimal(p, static_cast<unsigned>(time.hours().count()), 2);
    *p++ = ':';
    p = PutDecimal(p, static_cast<unsigned>(time.minutes().count()), 2);
    *p++ = ':';
    p = PutDecimal(p, static_cast<unsigned>(time.seconds().count()), 2);
    *p++ = '.';
    p = PutDecimal(p, static_cast<unsigned>(time.subseconds().count()), 3);
    *p++ = 'Z';
    return p;
}

std::string UtcTimestamp() {
    std::string text(kUtcTimestampSize, '\0');
    PutUtcTimestamp(text.data());
    return text;
}

}  // namespace valdro
