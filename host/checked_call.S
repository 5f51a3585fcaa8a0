/* int32_t tessoid_checked_call(const void* fn, const void* args, uint32_t bytes,
 *                               int32_t* leftOnStack)   -- cdecl, i386
 * Copies `bytes` of arguments onto the stack, calls `fn`, and stores how many bytes
 * the callee left there: 0 for a function that removes its own arguments (the
 * standard calling convention), `bytes` for one that leaves them to the caller.
 * Returns what the function returned in eax. */
#ifdef _WIN32
#define SYMBOL _tessoid_checked_call
#else
#define SYMBOL tessoid_checked_call
#endif
    .text
    .globl SYMBOL
SYMBOL:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 16(%ebp), %ecx
    subl %ecx, %esp
    andl $-16, %esp          /* the callee may assume an aligned stack */
    movl %esp, %edi
    movl 12(%ebp), %esi
    cld
    rep movsb
    movl %esp, %ebx          /* callee-saved: the stack pointer at the call */
    call *8(%ebp)
    movl %eax, %esi
    addl 16(%ebp), %ebx      /* where a callee that removes its arguments leaves it */
    subl %esp, %ebx
    movl 20(%ebp), %edx
    movl %ebx, (%edx)
    movl %esi, %eax
    leal -12(%ebp), %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
#ifndef _WIN32
    .section .note.GNU-stack,"",@progbits
#endif
