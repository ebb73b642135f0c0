// Linked into the checked build's programs only. A program there ends at its first fault, seen
// first-chance, before anything can handle it: an exception raised in a window procedure while
// the system is inside a call of its own (DestroyWindow) may otherwise be swallowed by the
// system, and the program goes on. One line names the fault and where it was, on standard error
// and in the file MORVA_FAULT_LOG names, if any (a GUI program's standard error may go nowhere);
// the process then ends with the exception's code.
#include <windows.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

const char* nameOf(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
        return "access violation";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
        return "illegal instruction (a failed undefined-behaviour check)";
    case EXCEPTION_STACK_OVERFLOW:
        return "stack overflow";
    case STATUS_HEAP_CORRUPTION:
        return "heap corruption";
    }
    return nullptr;
}

// Plain appending, with no allocation and little stack: after a stack overflow the handler has
// only the guard page's room.
struct Line {
    char text[512] = "";
    size_t length = 0;
    Line& operator<<(const char* part) {
        while (*part && length + 1 < sizeof text)
            text[length++] = *part++;
        return *this;
    }
    Line& hex(unsigned long long value) {
        char digits[19] = "0x";
        int count = 0;
        for (unsigned long long rest = value; rest || !count; rest >>= 4)
            ++count;
        for (int i = count - 1; i >= 0; --i, value >>= 4)
            digits[2 + i] = "0123456789abcdef"[value & 15];
        digits[2 + count] = '\0';
        return *this << digits;
    }
};

void report(const Line& line) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.text, static_cast<DWORD>(line.length),
              &written, nullptr);
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("MORVA_FAULT_LOG", path, sizeof path);
    if (!length || length >= sizeof path)
        return;
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    WriteFile(log, line.text, static_cast<DWORD>(line.length), &written, nullptr);
    CloseHandle(log);
}

// The program's own module: its image, with everything linked into it statically.
HMODULE moduleOf(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &module);
    return module;
}

// "ui_tests.exe (process 0x2a): "
Line opening() {
    Line line;
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, sizeof program);
    const char* name = std::strrchr(program, '\\');
    line << (name ? name + 1 : program) << " (process ";
    return line.hex(GetCurrentProcessId()) << "): ";
}

[[noreturn]] void end(Line& line, DWORD code) {
    report(line << "\n");
    TerminateProcess(GetCurrentProcess(), code);
    std::_Exit(static_cast<int>(code));
}

LONG CALLBACK onException(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    const char* name = nameOf(record.ExceptionCode);
    HMODULE module = moduleOf(record.ExceptionAddress);
    // Other exceptions (a C++ throw is one) go their usual way. Wine's own DLLs may fault and
    // handle it themselves (probing a pointer): only an access violation in our code counts.
    if (!name || (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
                  module != GetModuleHandleA(nullptr)))
        return EXCEPTION_CONTINUE_SEARCH;
    Line line = opening();
    line << "first-chance " << name << ", exception ";
    line.hex(record.ExceptionCode) << " at ";
    line.hex(reinterpret_cast<ULONG_PTR>(record.ExceptionAddress));
    if (module) {
        // addr2line takes the address at the image's preferred base, 0x140000000 for ours.
        line << " (image offset ";
        line.hex(reinterpret_cast<ULONG_PTR>(record.ExceptionAddress) -
                 reinterpret_cast<ULONG_PTR>(module))
            << ")";
    }
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        line << (record.ExceptionInformation[0] == 1 ? ", writing " : ", reading ");
        line.hex(record.ExceptionInformation[1]);
    }
    end(line, record.ExceptionCode);
}

// A library assertion (_GLIBCXX_ASSERTIONS) and std::terminate abort.
void onAbort(int) {
    Line line = opening();
    line << "abort: a library assertion failed, or terminate ran";
    end(line, 3);
}

[[maybe_unused]] const bool listening = [] {
    AddVectoredExceptionHandler(1, onException);
    // abort's own message on standard error, not in a box a test would wait on.
    _set_error_mode(_OUT_TO_STDERR);
    std::signal(SIGABRT, onAbort);
    return true;
}();

} // namespace
