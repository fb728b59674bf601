# The executable's entry point: no arguments; it hands the project descriptor to the
# runtime's start routine, which never returns (the 40 bytes keep the stack aligned
# and give the callee its home area).
	.section .entry, "xr"
	.globl	program_entry
program_entry:
	subq	$40, %rsp
	leaq	morvane_project_descriptor(%rip), %rcx
	call	*__imp_ThunRTMain(%rip)
