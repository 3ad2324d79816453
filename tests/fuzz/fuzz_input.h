#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>

// What every target does with libFuzzer's bytes: the whole, and a place to split it in two, taken
// from the input itself so that the fuzzer explores the splits too.
struct FuzzInput {
    FuzzInput(const uint8_t* data, size_t size)
        : bytes(reinterpret_cast<const char*>(data), qsizetype(size)) {}

    qsizetype splitPoint() const {
        return bytes.isEmpty() ? 0 : uchar(bytes[0]) % (bytes.size() + 1);
    }
    QByteArrayView head() const { return bytes.first(splitPoint()); }
    QByteArrayView tail() const { return bytes.sliced(splitPoint()); }
    // The first line as one string (a query, terms), the rest as another (names, a text).
    QString firstLine() const { return QString::fromUtf8(bytes.first(lineEnd())); }
    QString rest() const {
        const qsizetype end = lineEnd();
        return QString::fromUtf8(bytes.sliced(end < bytes.size() ? end + 1 : end));
    }

    QByteArrayView bytes;

private:
    qsizetype lineEnd() const {
        const qsizetype newline = bytes.indexOf('\n');
        return newline < 0 ? bytes.size() : newline;
    }
};

// An oracle that failed: the fuzzer keeps the input that showed it.
#define FUZZ_EXPECT(condition)                                                                     \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (false)
