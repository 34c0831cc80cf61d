// A client library for the session's tests: it exports the release 7 names only (with olog and
// opinit, unless built with QM_WITHOUT_OLOG), like a client from before Net8, and forwards every
// call to the embedded engine (OCILITE_LIBRARY), which it loads itself on first use. Each call is
// counted, so tests can tell which interface a session drove.

#include <dlfcn.h>

#include <map>
#include <string>

#pragma GCC visibility push(default)
#include "oci/oci.h"
#pragma GCC visibility pop

namespace {

std::map<std::string, int>& Counts() {
  static std::map<std::string, int> counts;
  return counts;
}

unsigned lastOpinitMode = 99;
bool failNextClose = false;

// The engine's function of the same name.
template <typename F>
F Engine(const char* name) {
  static void* engine = dlopen(OCILITE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ++Counts()[name];
  return reinterpret_cast<F>(engine != nullptr ? dlsym(engine, name) : nullptr);
}

}  // namespace

#define QM_TEST_EXPORT extern "C" __attribute__((visibility("default")))

sword orlon(Lda_Def* lda, ub1* hda, OraText* uid, sword uidl, OraText* pswd, sword pswdl,
            sword audit) {
  return Engine<orlon_t>("orlon")(lda, hda, uid, uidl, pswd, pswdl, audit);
}
sword ologof(Lda_Def* lda) {
  return Engine<ologof_t>("ologof")(lda);
}
sword oerhms(Lda_Def* lda, sb2 rcode, OraText* buf, sword bufsiz) {
  return Engine<oerhms_t>("oerhms")(lda, rcode, buf, bufsiz);
}
sword oopen(Cda_Def* cursor, Lda_Def* lda, OraText* dbn, sword dbnl, sword arsize, OraText* uid,
            sword uidl) {
  return Engine<oopen_t>("oopen")(cursor, lda, dbn, dbnl, arsize, uid, uidl);
}
sword oparse(Cda_Def* cursor, OraText* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg) {
  return Engine<oparse_t>("oparse")(cursor, sqlstm, sqllen, defflg, lngflg);
}
sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword scale, sb2* indp,
             OraText* fmt, sword fmtl, sword fmtt, ub2* rlen, ub2* rcode) {
  return Engine<odefin_t>("odefin")(cursor, pos, buf, bufl, ftype, scale, indp, fmt, fmtl, fmtt,
                                    rlen, rcode);
}
sword oexfet(Cda_Def* cursor, ub4 nrows, sword cancel, sword exact) {
  return Engine<oexfet_t>("oexfet")(cursor, nrows, cancel, exact);
}
sword ofen(Cda_Def* cursor, sword nrows) {
  return Engine<ofen_t>("ofen")(cursor, nrows);
}
sword oflng(Cda_Def* cursor, sword pos, ub1* buf, sb4 bufl, sword dtype, ub4* retl, sb4 offset) {
  return Engine<oflng_t>("oflng")(cursor, pos, buf, bufl, dtype, retl, offset);
}
sword oclose(Cda_Def* cursor) {
  const sword status = Engine<oclose_t>("oclose")(cursor);
  if (!failNextClose) return status;
  // The cursor is gone all the same, as when the connection drops while it is being closed.
  failNextClose = false;
  cursor->rc = 3114;
  return -1;
}
sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl,
             sb4* dsize, sb2* prec, sb2* scale, sb2* nullok) {
  return Engine<odescr_t>("odescr")(cursor, pos, dbsize, dbtype, cbuf, cbufl, dsize, prec, scale,
                                    nullok);
}
sword oexec(Cda_Def* cursor) {
  return Engine<oexec_t>("oexec")(cursor);
}
sword oexn(Cda_Def* cursor, sword iters, sword rowoff) {
  return Engine<oexn_t>("oexn")(cursor, iters, rowoff);
}
sword ocom(Lda_Def* lda) {
  return Engine<ocom_t>("ocom")(lda);
}
sword orol(Lda_Def* lda) {
  return Engine<orol_t>("orol")(lda);
}
sword ocon(Lda_Def* lda) {
  return Engine<ocon_t>("ocon")(lda);
}
sword ocof(Lda_Def* lda) {
  return Engine<ocof_t>("ocof")(lda);
}
sword obreak(Lda_Def* lda) {
  return Engine<obreak_t>("obreak")(lda);
}
sword obndra(Cda_Def* cursor, OraText* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword scale, sb2* indp, ub2* alen, ub2* arcode, ub4 maxsiz, ub4* cursiz, OraText* fmt,
             sword fmtl, sword fmtt) {
  return Engine<obndra_t>("obndra")(cursor, sqlvar, sqlvl, progv, progvl, ftype, scale, indp, alen,
                                    arcode, maxsiz, cursiz, fmt, fmtl, fmtt);
}
sword odessp(Cda_Def* cursor, OraText* objnam, std::size_t onlen, ub1* rsv1, std::size_t rsv1ln,
             ub1* rsv2, std::size_t rsv2ln, ub2* ovrld, ub2* pos, ub2* level, OraText** argnam,
             ub2* arnlen, ub2* dtype, ub1* defsup, ub1* mode, ub4* dtsiz, sb2* prec, sb2* scale,
             ub1* radix, ub4* spare, ub4* arrsiz) {
  return Engine<odessp_t>("odessp")(cursor, objnam, onlen, rsv1, rsv1ln, rsv2, rsv2ln, ovrld, pos,
                                    level, argnam, arnlen, dtype, defsup, mode, dtsiz, prec, scale,
                                    radix, spare, arrsiz);
}

#ifndef QM_WITHOUT_OLOG
sword olog(Lda_Def* lda, ub1* hda, OraText* uid, sword uidl, OraText* pswd, sword pswdl,
           OraText* conn, sword connl, ub4 mode) {
  return Engine<olog_t>("olog")(lda, hda, uid, uidl, pswd, pswdl, conn, connl, mode);
}
sword opinit(ub4 mode) {
  lastOpinitMode = mode;
  return Engine<opinit_t>("opinit")(mode);
}
#endif

// How often a function was called since the library was loaded (or the last reset).
QM_TEST_EXPORT int qm_test_calls(const char* name) {
  return Counts()[name];
}
QM_TEST_EXPORT unsigned qm_test_opinit_mode() {
  return lastOpinitMode;
}
QM_TEST_EXPORT void qm_test_reset() {
  Counts().clear();
  failNextClose = false;
}
// The next oclose closes the cursor but reports ORA-03114.
QM_TEST_EXPORT void qm_test_fail_next_close() {
  failNextClose = true;
}
