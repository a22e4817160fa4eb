#include "locale_codeset.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

// The codeset the output is converted into; empty while it is not.
std::string g_codeset;
bool g_asciiOutput = false;

bool IsUtf8(const std::string& codeset) { return codeset == "UTF-8" || codeset == "utf8"; }

// The C locale's, or none named.
bool IsAscii(const std::string& codeset) {
    for (const char* ascii : {"", "ANSI_X3.4-1968", "ASCII", "US-ASCII"}) {
        if (codeset == ascii) return true;
    }
    return false;
}

// What a character that cannot be converted becomes.
constexpr char kUnconvertible = '?';

// Converts all of in, each character that
// cannot be converted as kUnconvertible; a sequence cut at the end of in is
// left there for the next call.
std::string Converted(iconv_t converter, std::string* in) {
    std::string out;
    char* from = &(*in)[0];
    size_t left = in->size();
    while (left > 0) {
        char buffer[1024];
        char* to = buffer;
        size_t room = sizeof buffer;
        const size_t result = iconv(converter, &from, &left, &to, &room);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
        if (errno == EINVAL) break;  // cut: the rest comes with the next write
        out += kUnconvertible;       // EILSEQ: skip the byte and its continuations
        do {
            ++from;
            --left;
        } while (left > 0 && (static_cast<unsigned char>(*from) & 0xC0) == 0x80);
    }
    in->erase(0, in->size() - left);
    return out;
}

struct ConvertingStream {
    iconv_t converter;
    int fd;
    std::string pending;  // the start of a character cut between two writes
};

ssize_t WriteConverted(void* cookie, const char* data, size_t size) {
    ConvertingStream* stream = static_cast<ConvertingStream*>(cookie);
    stream->pending.append(data, size);
    const std::string out = Converted(stream->converter, &stream->pending);
    for (size_t done = 0; done < out.size();) {
        const ssize_t written = write(stream->fd, out.data() + done, out.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return -1;
        done += static_cast<size_t>(written);
    }
    return static_cast<ssize_t>(size);
}

// The two converted streams live as long as the program: stdout's and stderr's.
ConvertingStream g_streams[2];

// A stream writing to fd through converter; null if none can be made.
std::FILE* ConvertingFile(ConvertingStream* stream, int buffering) {
    std::FILE* file = fopencookie(stream, "w", {nullptr, WriteConverted, nullptr, nullptr});
    if (file != nullptr) setvbuf(file, nullptr, buffering, BUFSIZ);
    return file;
}

bool Opened(iconv_t converter) { return converter != reinterpret_cast<iconv_t>(-1); }

// glibc lets a program set its standard streams: every write to them from
// here on goes through the conversion, the log's, the prompt's and the bar's.
// Characters the codeset lacks are spelt in it where they can be («» as <<>>).
bool ConvertStandardStreams(const std::string& codeset) {
    const int buffering[2] = {_IOFBF, _IONBF};
    std::FILE* files[2] = {};
    for (int i = 0; i < 2; ++i) {
        g_streams[i] = {iconv_open((codeset + "//TRANSLIT").c_str(), "UTF-8"),
                        i == 0 ? STDOUT_FILENO : STDERR_FILENO,
                        {}};
        if (Opened(g_streams[i].converter)) files[i] = ConvertingFile(&g_streams[i], buffering[i]);
        if (files[i] != nullptr) continue;
        // Nothing half-made is left: the ones opened so far are closed.
        for (int made = 0; made <= i; ++made) {
            if (files[made] != nullptr) std::fclose(files[made]);
            if (Opened(g_streams[made].converter)) iconv_close(g_streams[made].converter);
        }
        return false;
    }
    std::fflush(stdout);
    stdout = files[0];
    stderr = files[1];
    g_codeset = codeset;
    return true;
}

// Whether codeset writes every ASCII character, controls among them, as the
// same one byte. Not so in UTF-16/32, UCS-2/4 (a byte order mark and zero
// bytes), EBCDIC (other bytes) or UTF-7 ('+'): output in those would bring
// the terminal bytes nobody here chose, controls among them.
bool KeepsAscii(const std::string& codeset) {
    const iconv_t converter = iconv_open(codeset.c_str(), "UTF-8");
    if (!Opened(converter)) return false;
    std::string ascii;
    for (int byte = 1; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
    std::string in = ascii;
    const std::string out = Converted(converter, &in);
    iconv_close(converter);
    return out == ascii;
}

}  // namespace

std::string LocaleCodeset() {
    // Only asked: the program keeps the C locale for everything it does.
    std::string codeset;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        codeset = nl_langinfo(CODESET);
        std::setlocale(LC_CTYPE, "C");
        return codeset;
    }
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        const std::string name = value;
        const size_t dot = name.find('.');
        return dot == std::string::npos ? "" : name.substr(dot + 1, name.find('@') - dot - 1);
    }
    return "";
}

bool ConvertOutputTo(const std::string& codeset) {
    if (IsUtf8(codeset)) return true;
    if (!IsAscii(codeset)) {
        if (KeepsAscii(codeset) && ConvertStandardStreams(codeset)) return true;
        ConvertStandardStreams("ASCII");
    }
    g_asciiOutput = true;
    return false;
}

bool OutputIsAscii() { return g_asciiOutput; }

std::string TypedText(const std::string& bytes) {
    if (g_codeset.empty() || g_codeset == "ASCII") return bytes;
    const iconv_t converter = iconv_open("UTF-8", g_codeset.c_str());
    if (!Opened(converter)) return bytes;
    std::string in = bytes;
    std::string text = Converted(converter, &in);
    iconv_close(converter);
    return text;
}
