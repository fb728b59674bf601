# The executable's entry point: no arguments; it hands the project descriptor to the
# runtime's start routine, which never returns. It has a section of its own: nothing follows the call.
	.section .entry, "xr"
	.globl	_program_entry
_program_entry:
	pushl	$_morvane_project_descriptor
	call	*__imp__ThunRTMain@4
