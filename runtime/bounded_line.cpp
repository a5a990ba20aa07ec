#include "runtime/bounded_line.h"

LineRead readBoundedLine(std::FILE* in, std::string& line, std::size_t maxLength) {
    line.clear();
    bool any = false;
    bool overlong = false;
    for (;;) {
        const int c = std::getc(in);
        if (c == EOF)
            break;
        any = true;
        if (c == '\n')
            break;
        if (line.size() < maxLength)
            line.push_back(static_cast<char>(c));
        else
            overlong = true;
    }
    if (!any)
        return LineRead::End;
    return overlong ? LineRead::Overlong : LineRead::Line;
}
