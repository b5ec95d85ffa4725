// The structured-exception frames of the host boundary on Windows.
//
// The guard is a routine in assembly, one per processor, that calls the
// host call with an exception handler of its own around it: nothing but
// that routine and the call's trampoline (which holds nothing) lies between
// the handler's frame and the host's function. mingw-w64's GCC has no
// __try/__except, so the frames are written here by hand.
//
// 32-bit Windows finds handlers through a chain of records on the stack,
// headed at FS:[0]. The guard pushes a record (the previous head, the
// handler, and two words of its own: where to describe the exception and
// the guard's frame pointer) and makes it the head for the length of the
// call. When the host raises, the system calls the handlers from the newest
// record on; the host's own come first (a handler that deals with it ends
// the matter there). Ours describes the exception, then RtlUnwind calls the
// handlers of every record above ours once more, to unwind (the host's
// finally blocks run), and leaves ours at the head; the guard then takes
// its frame back from the record, restores its registers from that frame
// and returns 1 with its record unlinked.
//
// 64-bit Windows unwinds by tables: the guard is a function with unwind
// information (.seh_proc) naming a language handler for exceptions
// (.seh_handler @except). The handler describes the exception and
// RtlUnwindEx unwinds every frame above the guard's (the host's finally
// blocks run), restoring the registers they saved, and continues at the
// guard's resume label with 1 in RAX.
//
// The handler reads what the host raised before anything is unwound (a
// Pascal runtime may free its exception object on the way) and allocates
// nothing: the host may have failed inside its own allocator.
#include <windows.h>

#include <cstring>

#include "platform/structured_exceptions.h"
#include "platform/win32_pascal_exception.h"

namespace pharmex::platform {

namespace {

// Fills `raised` from the system's record of the exception.
void describe(const EXCEPTION_RECORD& exception, HostException& raised) noexcept {
  raised.code = exception.ExceptionCode;
  read_pascal_message(exception, raised);
}

bool unwinding(const EXCEPTION_RECORD& exception) {
  return (exception.ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0;
}

}  // namespace

}  // namespace pharmex::platform

using pharmex::platform::HostCall;
using pharmex::platform::HostException;

// int px_guarded_call(HostCall call, void* context, HostException* raised):
// 0 when call(context) returned, 1 when the host raised.
extern "C" int px_guarded_call(HostCall call, void* context, HostException* raised);

#if defined(__i386__)

// The guard's record on the chain: the system's two words, then ours.
struct GuardRecord {
  GuardRecord* previous;
  void* handler;
  HostException* raised;
  void* frame;  // the guard's EBP
};

// Unwinds every record above the guard's and resumes the guard; no return.
extern "C" [[noreturn]] void px_guard_unwind(GuardRecord* record, EXCEPTION_RECORD* exception);

extern "C" EXCEPTION_DISPOSITION __cdecl px_guard_handler(EXCEPTION_RECORD* exception, void* frame,
                                                          CONTEXT* /*context*/,
                                                          void* /*dispatcher*/) {
  if (pharmex::platform::unwinding(*exception)) return ExceptionContinueSearch;
  auto* record = static_cast<GuardRecord*>(frame);
  pharmex::platform::describe(*exception, *record->raised);
  px_guard_unwind(record, exception);
}

// EBP-28 is the record: EBX, ESI and EDI are saved below EBP, then the
// record's four words are pushed last to first.
__asm__(
    "  .text\n"
    "  .p2align 4\n"
    "  .globl _px_guarded_call\n"
    "  .def _px_guarded_call; .scl 2; .type 32; .endef\n"
    "_px_guarded_call:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl %ebp\n"               /* record.frame */
    "  pushl 16(%ebp)\n"           /* record.raised */
    "  pushl $_px_guard_handler\n" /* record.handler */
    "  pushl %fs:0\n"              /* record.previous */
    "  movl %esp, %fs:0\n"         /* the record heads the chain */
    "  andl $-16, %esp\n"
    "  subl $16, %esp\n"
    "  movl 12(%ebp), %eax\n"
    "  movl %eax, (%esp)\n" /* the context, the call's one argument */
    "  call *8(%ebp)\n"
    "  xorl %eax, %eax\n"
    "px_guard_done:\n"
    "  leal -28(%ebp), %esp\n"
    "  popl %fs:0\n" /* the previous record heads the chain again */
    "  leal -12(%ebp), %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n"
    "\n"
    "  .p2align 4\n"
    "  .globl _px_guard_unwind\n"
    "  .def _px_guard_unwind; .scl 2; .type 32; .endef\n"
    "_px_guard_unwind:\n"
    "  movl 4(%esp), %eax\n" /* the guard's record */
    "  movl 8(%esp), %ecx\n" /* the exception */
    "  pushl $0\n"           /* return value */
    "  pushl %ecx\n"
    "  pushl $px_guard_unwound\n" /* where RtlUnwind goes on */
    "  pushl %eax\n"              /* unwind up to the guard's record */
    "  call _RtlUnwind@16\n"
    "px_guard_unwound:\n"
    "  movl %fs:0, %eax\n"    /* the guard's record heads the chain now */
    "  movl 12(%eax), %ebp\n" /* the guard's frame */
    "  movl $1, %eax\n"
    "  jmp px_guard_done\n");

#elif defined(__x86_64__)

// Where RtlUnwindEx continues in the guard, and the handler of its frame.
extern "C" char px_guard_resume[];

// The guard keeps `raised` in its third argument's home slot, 64 bytes above
// its frame (the stack pointer after its 40-byte prologue).
extern "C" EXCEPTION_DISPOSITION px_guard_handler(EXCEPTION_RECORD* exception, void* frame,
                                                  CONTEXT* /*context*/,
                                                  DISPATCHER_CONTEXT* dispatcher) {
  if (pharmex::platform::unwinding(*exception)) return ExceptionContinueSearch;
  HostException* raised = *reinterpret_cast<HostException**>(static_cast<char*>(frame) + 64);
  pharmex::platform::describe(*exception, *raised);
  ::RtlUnwindEx(frame, px_guard_resume, exception, reinterpret_cast<void*>(1),
                dispatcher->ContextRecord, dispatcher->HistoryTable);
  return ExceptionContinueSearch;  // RtlUnwindEx does not return
}

__asm__(
    "  .text\n"
    "  .p2align 4\n"
    "  .globl px_guarded_call\n"
    "  .def px_guarded_call; .scl 2; .type 32; .endef\n"
    "  .seh_proc px_guarded_call\n"
    "px_guarded_call:\n"
    "  subq $40, %rsp\n" /* the call's home area, the stack aligned to 16 */
    "  .seh_stackalloc 40\n"
    "  .seh_endprologue\n"
    "  movq %r8, 64(%rsp)\n" /* `raised`, for the handler */
    "  movq %rcx, %rax\n"
    "  movq %rdx, %rcx\n" /* the context, the call's one argument */
    "  callq *%rax\n"
    "  xorl %eax, %eax\n"
    "  .globl px_guard_resume\n"
    "px_guard_resume:\n"
    "  addq $40, %rsp\n"
    "  retq\n"
    "  .seh_handler px_guard_handler, @except\n"
    "  .seh_endproc\n");

#else
#error "the host call guard knows 32- and 64-bit x86 Windows only"
#endif

namespace pharmex::platform {

bool call_guarded(HostCall call, void* context, HostException& raised) noexcept {
  return px_guarded_call(call, context, &raised) == 0;
}

std::u16string host_exception_text(const HostException& raised) {
  std::u16string text;
  if (raised.text_unit == 2) {
    text.resize(raised.text_size / 2);
    std::memcpy(text.data(), raised.text, text.size() * 2);
    return text;
  }
  if (raised.text_unit != 1 || raised.text_size == 0) return text;
  const auto* bytes = reinterpret_cast<const char*>(raised.text);
  const int size = static_cast<int>(raised.text_size);
  UINT code_page = raised.text_code_page == 0 ? CP_ACP : raised.text_code_page;
  int units = ::MultiByteToWideChar(code_page, 0, bytes, size, nullptr, 0);
  if (units == 0) {
    code_page = CP_ACP;  // a code page the system lacks
    units = ::MultiByteToWideChar(code_page, 0, bytes, size, nullptr, 0);
  }
  text.resize(static_cast<size_t>(units));
  ::MultiByteToWideChar(code_page, 0, bytes, size, reinterpret_cast<wchar_t*>(text.data()), units);
  return text;
}

bool failures_can_be_raised() noexcept {
  return true;
}

void raise_failure(const char* utf8, const char* ansi) noexcept {
  const ULONG_PTR parameters[] = {reinterpret_cast<ULONG_PTR>(utf8),
                                  reinterpret_cast<ULONG_PTR>(ansi)};
  ::RaiseException(kFailureExceptionCode, 0, 2, parameters);
}

}  // namespace pharmex::platform
