// The streaming copy every vector width shares, written once over the form's
// own operations. A form file includes this inside its anonymous namespace
// after defining COPY_FORM_TARGET (its instructions) and struct CopyVec:
//
//   Vec; kBytes; LoadUnaligned; StoreStreaming (to an address aligned to kBytes).
//
// It has no include guard: each form compiles its own copy.

// Streaming stores skip reading the destination into the caches before it is
// overwritten. The loads take turns over four pages at once, as the fastest
// library copies do: the memory then serves four open rows instead of one,
// and the prefetches run a few lines ahead in each.
COPY_FORM_TARGET void StreamingCopy(void* destination, const void* source, size_t bytes) {
  constexpr size_t kPage = 4096;
  constexpr size_t kAlign = 64;  // a whole cache line, so a line is never half streamed
  constexpr size_t kStep = 4 * CopyVec::kBytes;  // per page and turn
  auto* out = static_cast<unsigned char*>(destination);
  const auto* in = static_cast<const unsigned char*>(source);
  size_t head = (kAlign - reinterpret_cast<uintptr_t>(out) % kAlign) % kAlign;
  if (head > bytes) head = bytes;
  memcpy(out, in, head);
  out += head;
  in += head;
  bytes -= head;
  for (; bytes >= 4 * kPage; bytes -= 4 * kPage, in += 4 * kPage, out += 4 * kPage) {
    for (size_t at = 0; at < kPage; at += kStep) {
      for (size_t page = 0; page < 4; ++page) {
        const unsigned char* from = in + page * kPage + at;
        _mm_prefetch(reinterpret_cast<const char*>(from + 4 * kStep), _MM_HINT_T0);
        const typename CopyVec::Vec a = CopyVec::LoadUnaligned(from);
        const typename CopyVec::Vec b = CopyVec::LoadUnaligned(from + CopyVec::kBytes);
        const typename CopyVec::Vec c = CopyVec::LoadUnaligned(from + 2 * CopyVec::kBytes);
        const typename CopyVec::Vec d = CopyVec::LoadUnaligned(from + 3 * CopyVec::kBytes);
        unsigned char* to = out + page * kPage + at;
        CopyVec::StoreStreaming(to, a);
        CopyVec::StoreStreaming(to + CopyVec::kBytes, b);
        CopyVec::StoreStreaming(to + 2 * CopyVec::kBytes, c);
        CopyVec::StoreStreaming(to + 3 * CopyVec::kBytes, d);
      }
    }
  }
  for (; bytes >= kStep; bytes -= kStep, in += kStep, out += kStep) {
    for (size_t v = 0; v < 4; ++v) {
      CopyVec::StoreStreaming(out + v * CopyVec::kBytes, CopyVec::LoadUnaligned(in + v * CopyVec::kBytes));
    }
  }
  _mm_sfence();  // the streamed lines reach memory before anyone reads them
  memcpy(out, in, bytes);
}
