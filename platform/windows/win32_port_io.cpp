#include "platform/windows/win32_port_io.h"

namespace vantrel::platform {

std::uint8_t Win32PortIo::read_byte(std::uint16_t port) {
    std::uint8_t value = 0;
    __asm__ volatile("inb %w1, %b0" : "=a"(value) : "Nd"(port));
    return value;
}

void Win32PortIo::write_byte(std::uint16_t port, std::uint8_t value) {
    __asm__ volatile("outb %b0, %w1" : : "a"(value), "Nd"(port));
}

std::uint32_t Win32PortIo::read_dword(std::uint16_t port) {
    std::uint32_t value = 0;
    __asm__ volatile("inl %w1, %0" : "=a"(value) : "Nd"(port));
    return value;
}

void Win32PortIo::write_dword(std::uint16_t port, std::uint32_t value) {
    __asm__ volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}

}  // namespace vantrel::platform
