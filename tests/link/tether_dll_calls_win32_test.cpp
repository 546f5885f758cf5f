// Each function of our TetherDll.dll (the ten, and our optional
// Tether_Features), loaded as Bayhaul.exe
// loads it (from the program's own folder), called with arguments that
// give documented results without a terminal. Each result depends on the
// last argument the function reads, so an argument taken from the wrong
// stack slot shows. On 32-bit Windows the functions are __stdcall: each
// must take exactly its own arguments off the stack, which is measured
// call by call.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "link/tether_api.h"
#include "link/tether_codes.h"
#include "link/tether_library.h"

namespace bayhaul {
namespace {

namespace fs = std::filesystem;
using tether_contract::kLetterCode;
using namespace tether::result;
constexpr std::int16_t kStatusNoTransfer = tether::transfer::kNoTransfer;
constexpr std::int16_t kStatusBadArgument = tether::transfer::kBadArgument;

const TetherFunctions& LoadedFunctions() {
    static TetherLibrary library;  // the program's own folder
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    if (!functions) {
        ADD_FAILURE() << error.Message();
        static const TetherFunctions none;
        return none;
    }
    return *functions;
}

class TetherDllCalls : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        ASSERT_TRUE(fs::exists(ExecutableFolder(reason) / kTetherLibraryFile)) << reason;
        ASSERT_NE(f.Tether_Destroy, nullptr);
    }

    const TetherFunctions& f = LoadedFunctions();
    char name[16] = "FORM.DAT";
    char stamp[16] = "20240102030405";
    char localPath[32] = "FORM.DAT";
};

// Through the program's own function types, as the download calls them.
TEST_F(TetherDllCalls, EachFunctionGivesItsDocumentedResultThroughTheProgramsTypes) {
    const LinkHandle h = f.Tether_Create();
    ASSERT_GT(h, 0);
    EXPECT_EQ(f.Tether_Connect(h), kNotSetUp);
    EXPECT_EQ(f.Tether_SetupEx(h, 7, '8', '1', 'N'), kOk);
    EXPECT_EQ(f.Tether_SetupEx(h, 7, '8', '1', 'E'), kBadArgument) << "the parity, the last argument, is read";
    EXPECT_EQ(f.Tether_SetupEx(0, 7, '8', '1', 'N'), kBadHandle);

    std::uint8_t length = 8;
    EXPECT_EQ(f.Tether_ESC_J(h, kLetterCode, name, &length), kNotConnected);
    EXPECT_EQ(f.Tether_ESC_J(h, kLetterCode, name, nullptr), kBadArgument);
    EXPECT_EQ(f.Tether_ESC_J(h, kLetterCode + 1, name, &length), kBadArgument);
    EXPECT_EQ(length, 8) << "the length is left unchanged";

    EXPECT_EQ(f.Tether_ESC_E(h, kLetterCode, name, 8), kNotConnected);
    EXPECT_EQ(f.Tether_ESC_E(h, kLetterCode, name, 0), kBadArgument);
    EXPECT_EQ(f.Tether_ESC_M(h, kLetterCode, stamp), kNotConnected);
    EXPECT_EQ(f.Tether_ESC_M(h, kLetterCode, nullptr), kBadArgument);
    EXPECT_STREQ(stamp, "20240102030405") << "the clock text is left unchanged";

    std::int32_t received = -1;
    std::int32_t total = -1;
    EXPECT_EQ(f.Tether_UpLoad(h, kLetterCode, localPath, name, 0, 3), kNotStarted);
    EXPECT_EQ(f.Tether_StLoad(h, 1, &received, &total), kStatusNoTransfer);
    EXPECT_EQ(received, 0);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(f.Tether_UpLoad(h, kLetterCode, localPath, nullptr, 0, 3), kNotStarted);
    EXPECT_EQ(f.Tether_StLoad(h, 0, nullptr, nullptr), kStatusBadArgument) << "the bad upload is remembered";
    EXPECT_EQ(f.Tether_StLoad(h, 2, &received, &total), kStatusBadArgument) << "a selector other than 0 or 1";

    EXPECT_EQ(f.Tether_Disconnect(h), kOk);
    EXPECT_EQ(f.Tether_Destroy(h), kOk);
    EXPECT_EQ(f.Tether_Destroy(h), kBadHandle);
    EXPECT_EQ(f.Tether_Disconnect(h), kBadHandle);

    ASSERT_NE(f.Tether_Features, nullptr) << "our library has the optional export";
    EXPECT_EQ(f.Tether_Features(), tether::feature::kOurCodes | tether::feature::kConcurrentSessions);
}

#if defined(__i386__)

// Pushes `count` 32-bit words (the last first, as a C call does), calls
// `function`, and gives back its EAX and, in *popped, the bytes it took off
// the stack: 0 for a function that leaves them to its caller, 4 per
// argument for a __stdcall one. The stack is restored from the frame, so a
// function that pops too much or too little cannot hurt the caller.
extern "C" std::uint32_t CallMeasuringPops(const void* function, const std::uint32_t* words, std::uint32_t count,
                                           std::int32_t* popped);
asm(R"(
    .text
    .globl _CallMeasuringPops
_CallMeasuringPops:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  movl  %esp, %edi
    call  *8(%ebp)
    movl  %esp, %edx
    subl  %edi, %edx
    movl  20(%ebp), %ecx
    movl  %edx, (%ecx)
    leal  -12(%ebp), %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");

// One argument as the 32-bit word a caller pushes for it.
std::uint32_t Word(const void* pointer) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer)); }
std::uint32_t Word(std::int32_t value) { return static_cast<std::uint32_t>(value); }

struct Measured {
    std::int32_t result;   // the declared result, widened
    std::int32_t popped;   // bytes the function took off the stack
    std::int32_t expected; // 4 bytes per argument of its declaration
};

template <typename T>
struct Same {
    using type = T;
};

// Calls `function` with `args`, converted to its declared argument types.
template <typename R, typename... Args>
Measured Call(R(TETHER_CALL* function)(Args...), typename Same<Args>::type... args) {
    const std::uint32_t words[] = {Word(args)..., 0};
    std::int32_t popped = -1;
    const std::uint32_t eax = CallMeasuringPops(reinterpret_cast<const void*>(function), words, sizeof...(Args), &popped);
    return {static_cast<R>(eax), popped, static_cast<std::int32_t>(4 * sizeof...(Args))};
}

// A call's result, and that it popped its declaration's arguments exactly.
void ExpectCall(const Measured& call, std::int32_t result, const char* what) {
    EXPECT_EQ(call.result, result) << what;
    EXPECT_EQ(call.popped, call.expected) << what << ": takes " << call.expected / 4 << " arguments but popped "
                                          << call.popped << " bytes";
}

TEST_F(TetherDllCalls, EachFunctionPopsExactlyItsOwnArguments) {
    const Measured created = Call(f.Tether_Create);
    ASSERT_GT(created.result, 0);
    EXPECT_EQ(created.popped, 0) << "Tether_Create takes no arguments";
    const LinkHandle h = created.result;
    std::uint8_t length = 8;
    std::int32_t received = -1;
    std::int32_t total = -1;

    ExpectCall(Call(f.Tether_Connect, h), kNotSetUp, "Tether_Connect");
    ExpectCall(Call(f.Tether_SetupEx, h, 7, '8', '1', 'E'), kBadArgument, "Tether_SetupEx, parity E");
    ExpectCall(Call(f.Tether_SetupEx, h, 7, '8', '1', 'N'), kOk, "Tether_SetupEx");
    ExpectCall(Call(f.Tether_ESC_J, h, kLetterCode, name, &length), kNotConnected, "Tether_ESC_J");
    ExpectCall(Call(f.Tether_ESC_J, h, kLetterCode, name, nullptr), kBadArgument, "Tether_ESC_J, no length");
    ExpectCall(Call(f.Tether_ESC_E, h, kLetterCode, name, 8), kNotConnected, "Tether_ESC_E");
    ExpectCall(Call(f.Tether_ESC_E, h, kLetterCode, name, 0), kBadArgument, "Tether_ESC_E, length 0");
    ExpectCall(Call(f.Tether_ESC_M, h, kLetterCode, stamp), kNotConnected, "Tether_ESC_M");
    ExpectCall(Call(f.Tether_ESC_M, h, kLetterCode, nullptr), kBadArgument, "Tether_ESC_M, no text");
    ExpectCall(Call(f.Tether_UpLoad, h, kLetterCode, localPath, name, 0, 3), kNotStarted, "Tether_UpLoad");
    ExpectCall(Call(f.Tether_StLoad, h, 1, &received, &total), kStatusNoTransfer, "Tether_StLoad");
    EXPECT_EQ(received, 0);
    ExpectCall(Call(f.Tether_StLoad, h, 1, &received, nullptr), kStatusNoTransfer, "Tether_StLoad, no total");
    ExpectCall(Call(f.Tether_Disconnect, h), kOk, "Tether_Disconnect");
    ExpectCall(Call(f.Tether_Destroy, h), kOk, "Tether_Destroy");
    ExpectCall(Call(f.Tether_Destroy, h), kBadHandle, "Tether_Destroy, again");
    ASSERT_NE(f.Tether_Features, nullptr);
    ExpectCall(Call(f.Tether_Features), tether::feature::kOurCodes | tether::feature::kConcurrentSessions,
               "Tether_Features");
}

#endif  // __i386__

}  // namespace
}  // namespace bayhaul
