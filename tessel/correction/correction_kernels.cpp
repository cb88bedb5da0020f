#include "tessel/correction/correction_kernels.h"

#include "tessel/core/status.h"

namespace Tessel {

namespace {
const TsComplex kOne(1.0f, 0.0f);
}  // namespace

long CorrectResponse(const TsComplex* raw, const TsComplex* tracking, TsComplex* out, int start,
                     int stop) {
    for (int i = start; i < stop; ++i) {
        out[i] = raw[i] / tracking[i];
    }
    return kOk;
}

long CorrectResponseIsol(const TsComplex* raw, const TsComplex* tracking,
                         const TsComplex* isolation, TsComplex* out, int start, int stop) {
    for (int i = start; i < stop; ++i) {
        out[i] = (raw[i] - isolation[i]) / tracking[i];
    }
    return kOk;
}

long Correct1Port(const TsComplex* raw, const TsComplex* directivity, const TsComplex* sourceMatch,
                  const TsComplex* reflectionTracking, int start, int stop, TsComplex* out) {
    if (raw == nullptr || directivity == nullptr || sourceMatch == nullptr ||
        reflectionTracking == nullptr) {
        return kFail;
    }
    for (int i = start; i < stop; ++i) {
        const TsComplex m = raw[i] - directivity[i];
        out[i] = m / (reflectionTracking[i] + sourceMatch[i] * m);
    }
    return kOk;
}

long Correct2Port(std::vector<const TsComplex*> raw, std::vector<const TsComplex*> errorTerms,
                  int start, int stop, std::vector<TsComplex*> out) {
    if (raw.size() < 4u || errorTerms.size() < 12u || out.size() < 4u) {
        return kInvalidArg;
    }
    // A call with stop < start is outside the contract; it corrects nothing and succeeds.
    if (stop <= start) {
        return kOk;
    }
    // Points below 0 lie before every array; refusing them also keeps stop - start within int.
    if (start < 0) {
        return kInvalidArg;
    }
    // Missing crosstalk terms read from one zero array that is addressed from its own element
    // 0 for point start: a term is read as term[i - offset], the offset being start for the
    // scratch array and 0 for the caller's arrays.
    std::vector<TsComplex> zeros;
    const TsComplex* e10 = errorTerms[10];
    const TsComplex* e11 = errorTerms[11];
    int off10 = 0, off11 = 0;
    if (e10 == nullptr || e11 == nullptr) {
        zeros.assign(static_cast<size_t>(stop - start), TsComplex());
        if (e10 == nullptr) {
            e10 = zeros.data();
            off10 = start;
        }
        if (e11 == nullptr) {
            e11 = zeros.data();
            off11 = start;
        }
    }
    const TsComplex *e0 = errorTerms[0], *e1 = errorTerms[1], *e2 = errorTerms[2],
                    *e3 = errorTerms[3], *e4 = errorTerms[4], *e5 = errorTerms[5],
                    *e6 = errorTerms[6], *e7 = errorTerms[7], *e8 = errorTerms[8],
                    *e9 = errorTerms[9];
    const TsComplex *s11m = raw[0], *s12m = raw[1], *s21m = raw[2], *s22m = raw[3];
    TsComplex *s11 = out[0], *s12 = out[1], *s21 = out[2], *s22 = out[3];

    // Outputs either are distinct arrays or are the raw array of the same point (in-place), so
    // no output of a point overlaps an input of another: the loop may be vectorised.
#pragma GCC ivdep
    for (int i = start; i < stop; ++i) {
        const TsComplex a = (s11m[i] - e0[i]) / e4[i];
        const TsComplex b = (s21m[i] - e10[i - off10]) / e8[i];
        const TsComplex c = (s12m[i] - e11[i - off11]) / e9[i];
        const TsComplex d = (s22m[i] - e1[i]) / e5[i];
        const TsComplex d1 = kOne + e2[i] * a;
        const TsComplex d2 = kOne + e3[i] * d;
        const TsComplex l = e6[i] * b;
        const TsComplex r = e7[i] * c;
        const TsComplex inv = kOne / (d1 * d2 - l * r);
        s11[i] = (a * d2 - l * c) * inv;
        s21[i] = (b * d2 - l * d) * inv;
        s12[i] = (c * d1 - r * a) * inv;
        s22[i] = (d * d1 - r * b) * inv;
    }
    return kOk;
}

void CorrectRefReceiver(const TsComplex* reflection, const TsComplex* rawReference,
                        const TsComplex* sourceMatch, const TsComplex* referenceTracking, int start,
                        int stop, TsComplex* out) {
    for (int i = start; i < stop; ++i) {
        out[i] = rawReference[i] / (referenceTracking[i] * (kOne - sourceMatch[i] * reflection[i]));
    }
}

}  // namespace Tessel
