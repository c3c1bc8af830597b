#include "variants/variant_commands.h"

#include <gtest/gtest.h>

#include "protocol/request.h"
#include "unit/scratch_folder.h"

// A source path joined to the aircraft folder must fit a slot, terminator
// included: 1023 units install, 1024 are refused and change nothing.
TEST(InstallVariantByPath, JoinedSourcePathMustFitASlot) {
  ScratchFolder scratch;
  const std::string cfg = "[fltsim.0]\r\ntitle=A\r\ntexture=a";
  scratch.write("fltsim.cfg", "[fltsim.0]\r\ntitle=B\r\ntexture=b\r\n");
  CommandRequest request;
  request.paths[kAircraftFolder] = scratch.path("");
  request.sourceFileInAircraftFolder = 1;
  for (size_t length : {1024, 1023}) {
    scratch.write("aircraft.cfg", cfg);
    // Empty components are dropped on the way to the file.
    request.paths[kSourceFile] =
        std::string(length - scratch.path("").size() - 11, '/') + "fltsim.cfg";
    testing::internal::CaptureStdout();
    EXPECT_EQ(length < kSlotSize, handleInstallVariantByPath(request)) << length;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(length < kSlotSize, scratch.read("aircraft.cfg") != cfg) << length;
  }
}
