/* pharmex: calling convention and export macros shared by every public header.
 *
 * The library was first built for 32-bit Windows hosts, which call it with the
 * stdcall convention. PX_STDCALL expands to __stdcall only there; on every other
 * platform (Linux, 64-bit Windows) it is empty and the platform's C convention
 * applies. Keeping the macro on every entry point, callback and interface slot
 * lets one set of headers serve both builds without changing the binary layout.
 */
#ifndef PHARMEX_ABI_H
#define PHARMEX_ABI_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define PX_STDCALL __stdcall
#else
#define PX_STDCALL
#endif

#if defined(_WIN32)
#if defined(PHARMEX_BUILDING_LIBRARY)
#define PX_API __declspec(dllexport)
#else
#define PX_API __declspec(dllimport)
#endif
#elif defined(PHARMEX_BUILDING_LIBRARY)
#define PX_API __attribute__((visibility("default")))
#else
#define PX_API
#endif

#ifdef __cplusplus
#define PX_EXTERN_C extern "C"
#define PX_NOEXCEPT noexcept
#else
#define PX_EXTERN_C
#define PX_NOEXCEPT
#endif

/* A UTF-16 code unit, as the host's strings use them. */
typedef uint16_t PxChar16;

/* Booleans cross the boundary as one byte: 0 is false, anything else true. */
typedef uint8_t PxBool;

/* The host's main window handle. The library never dereferences it; it hands
 * it back to the callbacks and to the user-interface toolkit. 0 means "none". */
typedef uintptr_t PxWindow;

#endif /* PHARMEX_ABI_H */
