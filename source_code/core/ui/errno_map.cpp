#include "core/ui/err_code.h"

#include <cerrno>

namespace {

struct errno_pair {
	int host;
	int reference;
};

// Host errno names and their numbers in the reference numbering. Names that are
// aliases on this host (EWOULDBLOCK, EDEADLOCK, EOPNOTSUPP) resolve to the first entry.
#define E(name, ref) {name, ref}
const errno_pair errno_table[] = {
	E(EPERM, 1), E(ENOENT, 2), E(ESRCH, 3), E(EINTR, 4), E(EIO, 5), E(ENXIO, 6), E(E2BIG, 7),
	E(ENOEXEC, 8), E(EBADF, 9), E(ECHILD, 10), E(EDEADLK, 11), E(ENOMEM, 12), E(EACCES, 13),
	E(EFAULT, 14), E(ENOTBLK, 15), E(EBUSY, 16), E(EEXIST, 17), E(EXDEV, 18), E(ENODEV, 19),
	E(ENOTDIR, 20), E(EISDIR, 21), E(EINVAL, 22), E(ENFILE, 23), E(EMFILE, 24), E(ENOTTY, 25),
	E(ETXTBSY, 26), E(EFBIG, 27), E(ENOSPC, 28), E(ESPIPE, 29), E(EROFS, 30), E(EMLINK, 31),
	E(EPIPE, 32), E(EDOM, 33), E(ERANGE, 34), E(EAGAIN, 35), E(EINPROGRESS, 36), E(EALREADY, 37),
	E(ENOTSOCK, 38), E(EDESTADDRREQ, 39), E(EMSGSIZE, 40), E(EPROTOTYPE, 41), E(ENOPROTOOPT, 42),
	E(EPROTONOSUPPORT, 43), E(ESOCKTNOSUPPORT, 44), E(ENOTSUP, 45), E(EPFNOSUPPORT, 46),
	E(EAFNOSUPPORT, 47), E(EADDRINUSE, 48), E(EADDRNOTAVAIL, 49), E(ENETDOWN, 50),
	E(ENETUNREACH, 51), E(ENETRESET, 52), E(ECONNABORTED, 53), E(ECONNRESET, 54), E(ENOBUFS, 55),
	E(EISCONN, 56), E(ENOTCONN, 57), E(ESHUTDOWN, 58), E(ETOOMANYREFS, 59), E(ETIMEDOUT, 60),
	E(ECONNREFUSED, 61), E(ELOOP, 62), E(ENAMETOOLONG, 63), E(EHOSTDOWN, 64), E(EHOSTUNREACH, 65),
	E(ENOTEMPTY, 66), E(EUSERS, 68), E(EDQUOT, 69), E(ESTALE, 70), E(EREMOTE, 71), E(ENOLCK, 77),
	E(ENOSYS, 78), E(EOVERFLOW, 84), E(ECANCELED, 89), E(EIDRM, 90), E(ENOMSG, 91), E(EILSEQ, 92),
	E(EBADMSG, 94), E(EMULTIHOP, 95), E(ENODATA, 96), E(ENOLINK, 97), E(ENOSR, 98), E(ENOSTR, 99),
	E(EPROTO, 100), E(ETIME, 101), E(ENOTRECOVERABLE, 104), E(EOWNERDEAD, 105),
};
#undef E

// Reference numbers that carry a text of their own; a host-only errno that happens to share
// one of them would read as that unrelated text, so it is moved out of the reference range.
bool reference_has_text(int ref) { return ref == 77 || ref == 78 || (ref >= 1 && ref <= 35) || ref == 63 || ref == 66 || ref == 89 || ref == 92; }

constexpr int host_only_offset = 1000;

}  // namespace

int errno_to_reference(int host_errno)
{
	for (const errno_pair& p : errno_table)
		if (p.host == host_errno)
			return p.reference;
	if (reference_has_text(host_errno))
		return host_errno + host_only_offset;
	return host_errno;
}

err_code_t err_from_errno(int host_errno)
{
	// errno 0 after a failure still has to read as a failure, never as success.
	return err_make(err_dom_errno, errno_to_reference(host_errno));
}
