# A handler base for the window tests: the program's offsets jump to
# counting routines instead of the downloader's.
        .text
        .p2align 4
        .globl  _testHandlerBase
_testHandlerBase:
        .fill   0x0008, 1, 0xCC
        jmp     _CountStartClicked
        .fill   0x4D8A - (. - _testHandlerBase), 1, 0xCC
        jmp     _CountWindowCreated
        .fill   0x4EA2 - (. - _testHandlerBase), 1, 0xCC
        jmp     _CountOpenFolderClicked
