# The handler base of the program header: event-handler offsets in the form
# template are relative to it. At each offset the template names sits a jump
# to the routine it binds, so relocation lands on that routine's entry.
        .text
        .p2align 4
        .globl  _velmoraHandlerBase
_velmoraHandlerBase:
        .fill   0x0008, 1, 0xCC
        jmp     _VelmoraOnStartClicked                  # 0x0008: button 按钮1, event 0
        .fill   0x4D8A - (. - _velmoraHandlerBase), 1, 0xCC
        jmp     _VelmoraEnsurePicturesFolder            # 0x4D8A: the window, event 0
        .fill   0x4EA2 - (. - _velmoraHandlerBase), 1, 0xCC
        jmp     _VelmoraOnOpenFolderClicked             # 0x4EA2: super button 超级按钮1, event 0
