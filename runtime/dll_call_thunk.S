# uint32_t VelmoraCallWithStackCheck(void* function, const uint32_t* words,
#                                    int32_t count, int32_t* stackDelta)
# Pushes the argument words so the first is lowest, calls the function and
# stores how far the stack pointer ended from where it was before the pushes
# (0 when the function removed exactly what was pushed). The stack is then
# put back, so a wrong argument list is reported instead of crashing here.
        .text
        .globl  _VelmoraCallWithStackCheck
        .def    _VelmoraCallWithStackCheck; .scl 2; .type 32; .endef
_VelmoraCallWithStackCheck:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %esi
        pushl   %edi
        pushl   %ebx
        movl    12(%ebp), %esi          # words
        movl    16(%ebp), %ecx          # count
        movl    %esp, %edi              # the recorded stack pointer
1:      testl   %ecx, %ecx
        jle     2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:      call    *8(%ebp)
        movl    %esp, %ecx
        subl    %edi, %ecx
        movl    %edi, %esp
        movl    20(%ebp), %edx
        movl    %ecx, (%edx)
        popl    %ebx
        popl    %edi
        popl    %esi
        popl    %ebp
        ret
