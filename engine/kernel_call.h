// The calling convention of the functions the evaluation calls every sample: the module
// functions and the oscillators' ticks.
//
// On 32-bit x86 the standard convention passes every argument on the stack and returns a
// float on the x87 stack, a store and a reload around each call. There these functions
// take their first integer arguments and their floats in registers, and return a
// KernelFloat: a float in a struct, which this convention returns in an SSE register (a
// plain float it still returns on the x87 stack). Elsewhere the standard convention
// already does all of that, and a KernelFloat is a float. Neither changes a value: with
// SSE maths a float is the same float in either place.
#pragma once

#if defined(__i386__) && defined(__SSE2_MATH__)
#define QV_KERNEL_CALL __attribute__((regparm(3), sseregparm))
struct KernelFloat {
  float value;
  KernelFloat(float v) : value(v) {}
  operator float() const { return value; }
};
#else
#define QV_KERNEL_CALL
using KernelFloat = float;
#endif
