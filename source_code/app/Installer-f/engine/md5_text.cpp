#include "app/Installer-f/engine/md5_text.h"

#include <algorithm>
#include <memory>
#include <openssl/evp.h>

std::string md5_text_in_steps(const void* data, size_t size, size_t step)
{
	if (step == 0)
		step = md5_default_step;
	std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
	unsigned char digest[EVP_MAX_MD_SIZE];
	unsigned int len = 0;
	bool ok = ctx && EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) == 1;
	const unsigned char* p = static_cast<const unsigned char*>(data);
	for (size_t done = 0; ok && done < size;) {
		size_t n = std::min(step, size - done);
		ok = EVP_DigestUpdate(ctx.get(), p + done, n) == 1;
		done += n;
	}
	ok = ok && EVP_DigestFinal_ex(ctx.get(), digest, &len) == 1 && len == 16;
	// Only an allocation failure gets here; an empty text never matches a manifest checksum.
	if (!ok)
		return std::string();
	static const char hex[] = "0123456789abcdef";
	std::string out(32, '0');
	for (int i = 0; i < 16; ++i) {
		out[2 * i] = hex[digest[i] >> 4];
		out[2 * i + 1] = hex[digest[i] & 15];
	}
	return out;
}

std::string md5_text(const void* data, size_t size) { return md5_text_in_steps(data, size, md5_default_step); }
