#include "Languages.h"

#include <algorithm>
#include <bitset>
#include <unordered_set>
#include <vector>

namespace engine {

namespace {

using Names = std::u16string_view[];

// ---- File types -------------------------------------------------------------------------------

constexpr Names kAssemblerTypes = {u"asm", u"inc", u"dt", u"txt"};
constexpr Names kCTypes = {u"c", u"h"};
constexpr Names kCppTypes = {u"cpp", u"cc",  u"cxx", u"c++", u"hpp", u"hh",
                             u"hxx", u"h++", u"ipp", u"tpp", u"inl", u"ino"};
constexpr Names kPlainGasTypes = {u"s"};      // in this case
constexpr Names kPreprocessedTypes = {u"S"};  // in this case, and .sx in any
constexpr Names kSxType = {u"sx"};
constexpr Names kA51Types = {u"a51", u"asm"};
constexpr Names kAsmIncTypes = {u"asm", u"inc"};
constexpr Names kNasmTypes = {u"asm", u"inc", u"nasm", u"mac"};
constexpr Names kAsmType = {u"asm"};

// ---- Evidence ---------------------------------------------------------------------------------
// Words that one dialect of a shared file type uses and the others of that type do not.

constexpr Names kArmWords = {u"bx",    u"blx",   u"ldmia", u"stmia",       u"ldmfd",   u"stmfd",
                             u"stmdb", u"cpsid", u"cpsie", u".thumb",      u".syntax", u".arm",
                             u".fpu",  u"vpush", u"vpop",  u".thumb_func", u"movs",    u"ldrb",
                             u"strb",  u"r12",   u"mrs",   u"msr"};
constexpr Names kAarch64Words = {u"x0",   u"x1",   u"x2",   u"x29",  u"x30", u"w0",
                                 u"w1",   u"xzr",  u"wzr",  u"adrp", u"stp", u"ldp",
                                 u"cbnz", u"b.eq", u"b.ne", u"eret", u"svc", u"sp_el0"};
constexpr Names kRiscvWords = {u"csrr",  u"csrw",  u"csrrw",  u"csrs", u"csrc", u"mret",
                               u"auipc", u"ecall", u"ebreak", u"a0",   u"t0",   u"ra",
                               u"jalr",  u"addi",  u"li",     u"la"};
constexpr Names kX86Words = {u"%eax", u"%ebx", u"%ecx",  u"%edx",  u"%esp", u"%ebp",
                             u"%rax", u"%rsp", u"%rbp",  u"%rdi",  u"%rsi", u"%rip",
                             u"movl", u"movq", u"pushl", u"pushq", u"popq", u"leaq"};
constexpr Names kMipsWords = {u"$sp", u"$ra",   u"$t0", u"$a0",  u"$v0",  u"$zero",
                              u"$gp", u"addiu", u"jr",  u"mtc0", u"mfc0", u"noreorder"};
constexpr Names kXtensaWords = {u"entry", u"retw", u"l32i",   u"s32i",   u"movi",  u"wsr",  u"rsr",
                                u"l32r",  u"rfe",  u"callx0", u"callx8", u"extui", u"rsync"};
constexpr Names kNios2Words = {u"ldw",  u"stw",   u"wrctl", u"rdctl", u"movia",
                               u"bret", u"callr", u"ldwio", u"stwio", u"ctl0"};
constexpr Names kAvrWords = {u"ldi", u"rjmp", u"rcall", u"sbi", u"cbi", u"sbrc", u"sbrs",
                             u"lpm", u"sbiw", u"adiw",  u"r16", u"r17", u"r24",  u"r30"};
constexpr Names kMsp430Words = {u"mov.w", u"mov.b", u"bis.w",  u"bic.w", u"bit.w", u"cmp.w",
                                u"add.w", u"sub.w", u"push.w", u"pop.w", u"dint",  u"eint"};
constexpr Names kIarWords = {u"rseg", u"public", u"extern", u"endmod", u"module",
                             u"aseg", u"cfi",    u"data16", u"section"};
constexpr Names kArmasmWords = {u"area", u"export", u"import", u"preserve8", u"require8",
                                u"dcd",  u"dcb",    u"dcw",    u"ltorg"};
// Not the 8051's mnemonics, which SDCC's assembler shares.
constexpr Names kA51Words = {u"$nomod51", u"$mod51", u"$include", u"$title", u"$nolist",
                             u"cseg",     u"dseg",   u"bseg",     u"xseg",   u"iseg"};
constexpr Names kSdasWords = {u".area", u".module", u".optsdcc", u".globl", u".db", u".ds", u".dw"};
constexpr Names kPicWords = {u"movlw",  u"movwf",  u"movf",    u"bsf",      u"bcf",
                             u"btfss",  u"btfsc",  u"banksel", u"__config", u"retlw",
                             u"clrf",   u"decfsz", u"incfsz",  u"pagesel",  u"errorlevel",
                             u"cblock", u"endc",   u"nolist",  u"__maxram", u"__badram"};
constexpr Names kAvrAtmelWords = {u".def",    u".equ", u".cseg", u".dseg", u".eseg",
                                  u".device", u"ldi",  u"rjmp",  u"rcall", u"sbi",
                                  u"cbi",     u"sbrc", u"r16",   u"r17"};
constexpr Names kNasmWords = {u"bits",     u"resb",    u"resw",   u"resd",
                              u"resq",     u"%define", u"%macro", u"%endmacro",
                              u"%include", u"%assign", u"incbin", u"times"};
constexpr Names kMasmWords = {u".model", u".code", u".data",  u".stack", u".386",
                              u".686",   u"proc",  u"endp",   u"assume", u"invoke",
                              u"offset", u"ptr",   u"comment"};

// ---- Rules ------------------------------------------------------------------------------------

constexpr LiteralKind kClosedQuote{u'\'', QuoteEscapes::None, false};
constexpr LiteralKind kEscapedQuote{u'\'', QuoteEscapes::Backslash, false};
constexpr LiteralKind kGasCharacter{u'\'', QuoteEscapes::Backslash, true};  // 'a, and '\n

// GNU as: strings with escapes, character constants 'a, and the processor's comment leaders.
// Preprocessed (.S), the C preprocessor's comments, joins and directive lines come first.
constexpr LexicalRules Gas(std::array<LineLeader, 3> leaders, bool preprocessed) {
    LexicalRules rules;
    rules.BackslashEscapes = true;
    rules.MoreLiterals = {kGasCharacter};
    rules.MoreLineLeaders = leaders;
    if (preprocessed) {
        rules.LineSplicing = true;
        rules.HeaderNames = true;
        rules.DirectiveLines = true;
        for (LineLeader& leader : rules.MoreLineLeaders) {
            if (leader.text.empty()) {
                leader = {u"//", false};
                break;
            }
        }
    }
    return rules;
}

constexpr LineLeader kHashAtLineStart{u"#", true};
constexpr LineLeader kDoubleSlash{u"//", false};

// ; assemblers whose strings take no escapes: a closed '…' too, as the option panel's preset.
constexpr LexicalRules SemicolonAssembler(std::array<LiteralKind, 3> literals) {
    LexicalRules rules;
    rules.MoreLiterals = literals;
    return rules;
}

constexpr LexicalRules kAssemblerRules = SemicolonAssembler({kClosedQuote});

constexpr LexicalRules kA51Rules = [] {
    LexicalRules rules = SemicolonAssembler({kClosedQuote});
    rules.ControlLinePrefix = u'$';
    return rules;
}();

constexpr LexicalRules kSdasRules = SemicolonAssembler({{{u'\'', QuoteEscapes::None, true}}});

constexpr LexicalRules kPicRules = [] {
    LexicalRules rules = SemicolonAssembler({kClosedQuote});
    rules.BackslashEscapes = true;  // "\n" in strings
    return rules;
}();

constexpr LexicalRules kCStyleSemicolonRules = [] {  // AVR (Atmel) and IAR: ; // /* */
    LexicalRules rules = SemicolonAssembler({kEscapedQuote});
    rules.BackslashEscapes = true;
    rules.MoreLineLeaders = {kDoubleSlash};
    return rules;
}();

constexpr LexicalRules kNasmRules =
    SemicolonAssembler({kClosedQuote, {u'`', QuoteEscapes::Backslash, false}});

constexpr LexicalRules kMasmRules = [] {
    LexicalRules rules = SemicolonAssembler({{{u'\'', QuoteEscapes::Doubled, false}}});
    rules.CommentDirective = u"COMMENT";
    return rules;
}();

// What every dialect of .asm and .inc has in common: ; comments, and every kind of literal.
constexpr LexicalRules kAnyAsmRules =
    SemicolonAssembler({kClosedQuote, {u'`', QuoteEscapes::Backslash, false}});
// Of .s: no comment at all (; separates statements in GNU as, @ and # are code in the others).
constexpr LexicalRules kAnySRules = SemicolonAssembler({kGasCharacter});
// Of .S: the C preprocessor's comments and nothing else.
constexpr LexicalRules kAnyGasCppRules = Gas({}, true);

using M = std::array<std::u16string_view, kMarkerFields.size()>;
constexpr M kSemicolonMarkers = {u";", u"/*", u"*/", u"\"", u"\""};
constexpr M kSemicolonOnly = {u";", u"", u"", u"\"", u"\""};
constexpr M kCMarkers = {u"//", u"/*", u"*/", u"\"", u"\""};

// clang-format off
const LanguageRow kTable[] = {
    {Language::Assembler, "asm", u"汇编", kAssemblerTypes, {}, kSemicolonMarkers, kAssemblerRules},
    {Language::C, "c", u"C", kCTypes, {}, kCMarkers, kCRules},
    {Language::Cpp, "c++", u"C++", kCppTypes, {}, kCMarkers, kCppRules},
    {Language::GasArm, "gas-arm", u"GNU汇编(ARM)", {}, kPlainGasTypes,
     {u"@", u"/*", u"*/", u"\"", u"\""}, Gas({kHashAtLineStart}, false), kArmWords},
    {Language::GasAarch64, "gas-aarch64", u"GNU汇编(AArch64)", {}, kPlainGasTypes,
     {u"//", u"/*", u"*/", u"\"", u"\""}, Gas({kHashAtLineStart}, false), kAarch64Words},
    {Language::GasRiscv, "gas-riscv", u"GNU汇编(RISC-V)", {}, kPlainGasTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, false), kRiscvWords},
    {Language::GasX86, "gas-x86", u"GNU汇编(x86)", {}, kPlainGasTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, false), kX86Words},
    {Language::GasMips, "gas-mips", u"GNU汇编(MIPS)", {}, kPlainGasTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, false), kMipsWords},
    {Language::GasXtensa, "gas-xtensa", u"GNU汇编(Xtensa)", {}, kPlainGasTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, false), kXtensaWords},
    {Language::GasNios2, "gas-nios2", u"GNU汇编(Nios II)", {}, kPlainGasTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, false), kNios2Words},
    {Language::GasAvr, "gas-avr", u"GNU汇编(AVR)", {}, kPlainGasTypes,
     kSemicolonMarkers, Gas({kHashAtLineStart}, false), kAvrWords},
    {Language::GasMsp430, "gas-msp430", u"GNU汇编(MSP430)", {}, kPlainGasTypes,
     kSemicolonMarkers, Gas({kHashAtLineStart}, false), kMsp430Words},
    {Language::GasArmCpp, "gas-arm-cpp", u"预处理GNU汇编(ARM)", kSxType, kPreprocessedTypes,
     {u"@", u"/*", u"*/", u"\"", u"\""}, Gas({kHashAtLineStart}, true), kArmWords},
    {Language::GasAarch64Cpp, "gas-aarch64-cpp", u"预处理GNU汇编(AArch64)", kSxType,
     kPreprocessedTypes, {u"//", u"/*", u"*/", u"\"", u"\""}, Gas({kHashAtLineStart}, true),
     kAarch64Words},
    {Language::GasRiscvCpp, "gas-riscv-cpp", u"预处理GNU汇编(RISC-V)", kSxType,
     kPreprocessedTypes, {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, true), kRiscvWords},
    {Language::GasX86Cpp, "gas-x86-cpp", u"预处理GNU汇编(x86)", kSxType, kPreprocessedTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, true), kX86Words},
    {Language::GasMipsCpp, "gas-mips-cpp", u"预处理GNU汇编(MIPS)", kSxType, kPreprocessedTypes,
     {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, true), kMipsWords},
    {Language::GasXtensaCpp, "gas-xtensa-cpp", u"预处理GNU汇编(Xtensa)", kSxType,
     kPreprocessedTypes, {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, true), kXtensaWords},
    {Language::GasNios2Cpp, "gas-nios2-cpp", u"预处理GNU汇编(Nios II)", kSxType,
     kPreprocessedTypes, {u"#", u"/*", u"*/", u"\"", u"\""}, Gas({}, true), kNios2Words},
    {Language::GasAvrCpp, "gas-avr-cpp", u"预处理GNU汇编(AVR)", kSxType, kPreprocessedTypes,
     kSemicolonMarkers, Gas({kHashAtLineStart}, true), kAvrWords},
    {Language::GasMsp430Cpp, "gas-msp430-cpp", u"预处理GNU汇编(MSP430)", kSxType,
     kPreprocessedTypes, kSemicolonMarkers, Gas({kHashAtLineStart}, true), kMsp430Words},
    {Language::A51, "a51", u"8051汇编(A51)", kA51Types, {}, kSemicolonOnly, kA51Rules,
     kA51Words},
    {Language::Sdas, "sdas", u"SDCC汇编", kAsmType, {}, kSemicolonOnly, kSdasRules,
     kSdasWords},
    {Language::Pic, "pic", u"PIC汇编(MPASM)", kAsmIncTypes, {}, kSemicolonOnly, kPicRules,
     kPicWords},
    {Language::AvrAtmel, "avr", u"AVR汇编(Atmel)", kAsmIncTypes, {}, kSemicolonMarkers,
     kCStyleSemicolonRules, kAvrAtmelWords},
    {Language::Nasm, "nasm", u"NASM汇编", kNasmTypes, {}, kSemicolonOnly, kNasmRules,
     kNasmWords},
    {Language::Masm, "masm", u"MASM汇编", kAsmIncTypes, {}, kSemicolonOnly, kMasmRules,
     kMasmWords},
    {Language::Iar, "iar", u"IAR汇编", {}, kPlainGasTypes, kSemicolonMarkers,
     kCStyleSemicolonRules, kIarWords},
    {Language::Armasm, "armasm", u"Arm汇编(armasm)", {}, kPlainGasTypes, kSemicolonOnly,
     SemicolonAssembler({kClosedQuote}), kArmasmWords},
    {Language::AnyAsm, "asm-common", u"汇编(方言未定)", {}, {}, kSemicolonOnly, kAnyAsmRules},
    {Language::AnyS, "s-common", u".s汇编(方言未定)", {}, {}, {u"", u"", u"", u"\"", u"\""},
     kAnySRules},
    {Language::AnyGasCpp, "gas-cpp", u"预处理GNU汇编(处理器未定)", {}, {}, kCMarkers,
     kAnyGasCppRules},
};
// clang-format on
static_assert(std::size(kTable) == kLanguageCount);

// A file type that several dialects claim, and how it is read when its text does not tell which:
// plainly (nothing points to any dialect) and undecided (the text points several ways).
struct SharedType {
    std::u16string_view extension;
    bool exactCase;
    Language plain;
    Language undecided;
    bool semicolonComments;  // ; leads a comment in most of its dialects (not in GNU as)
};
constexpr SharedType kSharedTypes[] = {
    {u"asm", false, Language::Assembler, Language::AnyAsm, true},
    {u"inc", false, Language::Assembler, Language::AnyAsm, true},
    {u"s", true, Language::AnyS, Language::AnyS, false},
    {u"S", true, Language::AnyGasCpp, Language::AnyGasCpp, false},
    {u"sx", false, Language::AnyGasCpp, Language::AnyGasCpp, false},
};

// Build files known by their names: no sources, whatever their extension says.
constexpr Names kBuildFileNames = {u"CMakeLists.txt"};
constexpr Names kBuildFileTypes = {u"cmake"};

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

bool Lists(std::span<const std::u16string_view> names, std::u16string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](std::u16string_view listed) { return SameIgnoringCase(listed, name); });
}

bool ListsExactly(std::span<const std::u16string_view> names, std::u16string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::u16string_view ExtensionOf(std::u16string_view fileName) {
    const std::size_t dot = fileName.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view() : fileName.substr(dot + 1);
}

bool ClaimsType(const LanguageRow& row, std::u16string_view extension) {
    return !extension.empty() &&
           (Lists(row.extensions, extension) || ListsExactly(row.exactExtensions, extension));
}

// The rows that claim `fileName` by its extension.
std::vector<const LanguageRow*> ClaimersOf(std::u16string_view fileName) {
    std::vector<const LanguageRow*> claimers;
    if (IsBuildFileName(fileName)) {
        return claimers;
    }
    for (const LanguageRow& row : kTable) {
        if (ClaimsType(row, ExtensionOf(fileName))) {
            claimers.push_back(&row);
        }
    }
    return claimers;
}

// The words of the start of `text`, in lower case: runs of letters, digits and . _ $ % #. What
// follows // (or ; where it leads comments) on a line, and what stands between /* and */, is
// comment: its words are prose, no evidence.
std::unordered_set<std::u16string> WordsOf(std::u16string_view text, bool semicolonComments) {
    constexpr std::size_t kLookedAt = 64 * 1024;
    const auto inWord = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'.' || c == u'_' || c == u'$' || c == u'%' || c == u'#';
    };
    std::unordered_set<std::u16string> words;
    text = text.substr(0, kLookedAt);
    for (std::size_t at = 0; at < text.size();) {
        const std::u16string_view rest = text.substr(at);
        if ((semicolonComments && rest.starts_with(u";")) || rest.starts_with(u"//")) {
            at = std::min(text.find_first_of(u"\r\n", at), text.size());
            continue;
        }
        if (rest.starts_with(u"/*")) {
            at = std::min(text.find(u"*/", at + 2), text.size());
            continue;
        }
        if (!inWord(text[at])) {
            ++at;
            continue;
        }
        std::u16string word;
        for (; at < text.size() && inWord(text[at]); ++at) {
            word += Lower(text[at]);
        }
        // An immediate's or a label's marks do not make another word: #'a, ldi r16,#1.
        words.insert(word.substr(word.find_first_not_of(u'#') == std::u16string::npos
                                     ? 0
                                     : word.find_first_not_of(u'#')));
    }
    return words;
}

// How many of a row's evidence words the text uses.
std::size_t Score(const LanguageRow& row, const std::unordered_set<std::u16string>& words) {
    return static_cast<std::size_t>(std::count_if(
        row.evidence.begin(), row.evidence.end(),
        [&](std::u16string_view word) { return words.count(std::u16string(word)) != 0; }));
}

// Among the dialects that claim a shared type, the one the text shows: at least two of its words,
// and at least twice as many as any other's. Where two dialects show as strongly, or the type
// has no reading of its own, the reading common to all its dialects.
Reading Detect(const std::vector<const LanguageRow*>& claimers, const SharedType& type,
               std::u16string_view text) {
    const std::unordered_set<std::u16string> words = WordsOf(text, type.semicolonComments);
    const LanguageRow* best = nullptr;
    std::size_t bestScore = 0, secondScore = 0;
    for (const LanguageRow* row : claimers) {
        const std::size_t score = Score(*row, words);
        if (score > bestScore) {
            secondScore = bestScore;
            bestScore = score;
            best = row;
        } else if (score > secondScore) {
            secondScore = score;
        }
    }
    if (bestScore >= 2 && bestScore >= 2 * secondScore) {
        return {best->language, false};
    }
    if (secondScore < 2 && type.plain != type.undecided) {
        return {type.plain, false};  // nothing points clearly away from the type's own reading
    }
    return {type.undecided, true};
}

}  // namespace

std::span<const LanguageRow> LanguageTable() {
    return kTable;
}

const LanguageRow& RowOf(Language language) {
    return kTable[static_cast<std::size_t>(language)];
}

std::optional<Language> LanguageNamed(std::string_view name) {
    for (const LanguageRow& row : kTable) {
        if (row.name == name) {
            return row.language;
        }
    }
    return std::nullopt;
}

bool IsBuildFileName(std::u16string_view fileName) {
    const std::u16string_view extension = ExtensionOf(fileName);
    return Lists(kBuildFileNames, fileName) ||
           (!extension.empty() && Lists(kBuildFileTypes, extension));
}

bool IsClaimed(std::u16string_view fileName) {
    return !ClaimersOf(fileName).empty();
}

std::optional<Reading> ReadingOfFile(std::u16string_view fileName, std::u16string_view text) {
    const std::vector<const LanguageRow*> claimers = ClaimersOf(fileName);
    if (claimers.empty()) {
        return std::nullopt;
    }
    const std::u16string_view extension = ExtensionOf(fileName);
    for (const SharedType& type : kSharedTypes) {
        if (type.exactCase ? extension == type.extension
                           : SameIgnoringCase(extension, type.extension)) {
            return Detect(claimers, type, text);
        }
    }
    return Reading{claimers.front()->language, false};
}

EliminationOptions ForLanguage(EliminationOptions options, Language language, TypedMarkers typed) {
    const LanguageRow& row = RowOf(language);
    for (std::size_t field = 0; field < kMarkerFields.size(); ++field) {
        if (!typed[field]) {
            options.*kMarkerFields[field] = row.markers[field];
        }
    }
    options.Rules = row.rules;
    return options;
}

}  // namespace engine
