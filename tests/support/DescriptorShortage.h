// A process short of descriptors, as when the host has opened nearly all it may.
#ifndef DIALFORGE_TESTS_SUPPORT_DESCRIPTORSHORTAGE_H
#define DIALFORGE_TESTS_SUPPORT_DESCRIPTORSHORTAGE_H

namespace dialforge_test {

// Lowers the process's limit so that one more descriptor can be opened, until End or the
// object's end. Windows has no such limit to lower: there nothing is made.
class DescriptorShortage {
 public:
  DescriptorShortage();
  ~DescriptorShortage() { End(); }
  DescriptorShortage(const DescriptorShortage&) = delete;
  DescriptorShortage& operator=(const DescriptorShortage&) = delete;

  bool Made() const { return made; }
  void End();

 private:
  bool made = false;
  unsigned long long previous = 0;
};

}  // namespace dialforge_test

#endif
