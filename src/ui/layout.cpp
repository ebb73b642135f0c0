#include "layout.h"

#include <cctype>
#include <cmath>

int scaleValue(int value, int measuredTextHeight) {
    return static_cast<int>(
        std::lround(static_cast<double>(value) * measuredTextHeight / designTextHeight));
}

int Scale::fontHeight(int pointSize) const {
    return static_cast<int>(std::lround(pointSize * static_cast<double>(dpi) / 72.0));
}

char acceleratorOf(std::string_view caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

std::string shownTextOf(std::string_view caption) {
    std::string shown;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && ++i == caption.size())
            break;
        shown += caption[i];
    }
    return shown;
}

std::string exceptionBoxText(std::string message) {
    // By unsigned byte: a message ending in an accented letter (above 0x7F) gets one too.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}
