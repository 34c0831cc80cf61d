#pragma once
// TSessionPreferences: settings of a session that its statements and datasets apply. Defaults
// are the constructor's. UseOCI7 cannot change while the owning session is connected.

namespace qm {

class TOracleSession;

class TSessionPreferences {
 public:
  // `session` (may be null) is the owner asked whether it is connected.
  explicit TSessionPreferences(const TOracleSession* session = nullptr) : session_(session) {}
  TSessionPreferences(const TSessionPreferences&) = delete;
  TSessionPreferences& operator=(const TSessionPreferences&) = delete;

  // Copies every preference (UseOCI7 through its setter, so the refusal applies).
  void Assign(const TSessionPreferences& other);

  // NUMBER columns with a greater precision are fetched as text; 0: no limit.
  int FloatPrecision() const { return floatPrecision_; }
  void SetFloatPrecision(int value) { floatPrecision_ = value; }
  // Integer columns up to this precision are fetched as 32-bit integers; 0 means 9.
  int IntegerPrecision() const { return integerPrecision_; }
  void SetIntegerPrecision(int value) { integerPrecision_ = value; }
  // Integer columns up to this precision become small-integer fields; 0 means 4, -1 never.
  int SmallIntPrecision() const { return smallIntPrecision_; }
  void SetSmallIntPrecision(int value) { smallIntPrecision_ = value; }
  bool UseOCI7() const { return useOCI7_; }
  // Throws std::runtime_error "Cannot change UseOCI7 property when session is connected".
  void SetUseOCI7(bool value);
  bool ConvertCRLF() const { return convertCRLF_; }
  void SetConvertCRLF(bool value) { convertCRLF_ = value; }
  bool TrimStringFields() const { return trimStringFields_; }
  void SetTrimStringFields(bool value) { trimStringFields_ = value; }
  // String columns longer than this become memo fields; 0: no limit.
  int MaxStringFieldSize() const { return maxStringFieldSize_; }
  void SetMaxStringFieldSize(int value) { maxStringFieldSize_ = value; }
  bool ZeroDateIsNull() const { return zeroDateIsNull_; }
  void SetZeroDateIsNull(bool value) { zeroDateIsNull_ = value; }
  bool NullLOBIsEmpty() const { return nullLOBIsEmpty_; }
  void SetNullLOBIsEmpty(bool value) { nullLOBIsEmpty_ = value; }

 private:
  const TOracleSession* session_;
  int floatPrecision_ = 0;
  int integerPrecision_ = 0;
  int smallIntPrecision_ = -1;
  bool useOCI7_ = false;
  bool convertCRLF_ = true;
  bool trimStringFields_ = true;
  int maxStringFieldSize_ = 0;
  bool zeroDateIsNull_ = true;
  bool nullLOBIsEmpty_ = false;
};

}  // namespace qm
