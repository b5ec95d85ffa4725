/* Checks, on 32-bit Windows, that every host operation and callback removes
 * from the stack exactly the arguments the library passes it.
 *
 * There every slot of IDataSet and IField and every callback is stdcall: the
 * callee removes its own arguments when it returns. A host function declared
 * with other arguments than pharmex/host.h gives it (a variant taken by
 * reference instead of by value, the options byte of Locate left out, the
 * result address forgotten, a callback declared cdecl) removes the wrong
 * number of bytes, and the caller's stack pointer is off afterwards: the
 * host's stack is corrupted silently, with no crash to point at it.
 *
 * The wrappers here stand between the library and a host's objects. Every
 * call the library makes goes on to the host's function through a thunk that
 * lays out the same arguments, measures how many bytes the callee removed and
 * restores the stack pointer, so a wrong declaration is reported (on stderr,
 * with the operation's name and both sizes) instead of corrupting anything.
 * Fields the host returns are wrapped in turn. On every other platform there
 * is one calling convention in which the caller cleans up, so the wrappers
 * hand the host's objects and callbacks through unchanged. */
#ifndef PHARMEX_TESTS_STACK_CHECK_H
#define PHARMEX_TESTS_STACK_CHECK_H

#include "pharmex/host.h"

/* Wraps a dataset, taking over the caller's reference; the result carries
 * one reference for the caller. The host's dataset is released when the
 * wrapper is. NULL stays NULL. */
IDataSet* stack_checked_dataset(IDataSet* dataset);

/* The host's own dataset inside a wrapper (the dataset itself when it is
 * none), for the host's own work on it. No reference is added. */
IDataSet* stack_checked_host_dataset(IDataSet* dataset);

/* Replaces each non-null callback by a checking one that calls it. The
 * checking callbacks call the last functions given here (one set per
 * process, as a host has). */
void stack_checked_callbacks(PxProgressCallback* progress, PxStartCallback* start,
                             PxFinishCallback* finish);

/* Calls made through the wrappers whose callee removed another number of
 * bytes than the library passed; each was reported on stderr. */
int stack_check_mismatches(void);

/* Whether the wrappers check anything on this platform (32-bit Windows). */
int stack_check_active(void);

#endif /* PHARMEX_TESTS_STACK_CHECK_H */
