#include <gtest/gtest.h>

#include <string>

#include "engine/Languages.h"
#include "engine/Passes.h"

// Each dialect cleans the lines its assembler's manual describes as its own, with no comment left
// and no code lost. Dialects that an assembler here can assemble are checked against it as well
// (scripts/asm-check.py); these tables hold the others to their manuals.
namespace {

using engine::Language;

struct Case {
    std::u16string_view text;
    std::u16string_view expected;
};

std::u16string Clean(Language language, std::u16string_view text) {
    engine::EliminationOptions o = engine::ForLanguage({}, language);
    o.KeepHeaderLineComments = o.KeepHeaderBlockComment = false;
    return engine::EliminateComments(text, o, u"\n");
}

void ExpectCleaned(Language language, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(Clean(language, c.text), c.expected)
            << engine::RowOf(language).name << ": "
            << testing::PrintToString(std::u16string(c.text));
    }
}

// GNU as: ; separates statements; the processor's leader; # at a line's start; 'c constants.
TEST(Dialects, GnuAsReadsEachProcessorsCommentsAndKeepsStatementSeparators) {
    ExpectCleaned(
        Language::GasArm,
        {{u"\tldr r1,=a ; ldr r2,=b @ load\n", u"\tldr r1,=a ; ldr r2,=b \n"},
         {u"\tmovs r0, #'@ @ c\n# whole\n", u"\tmovs r0, #'@ \n\n"},
         {u"\tmovs r0, #'@' /* c */ @ d\n", u"\tmovs r0, #'@'  \n"},
         {u"\tmov r0, #1 // no comment in ARM\n", u"\tmov r0, #1 // no comment in ARM\n"}});
    ExpectCleaned(Language::GasAarch64,
                  {{u"\tmov x0, x1; mov x2, x3 // c\n", u"\tmov x0, x1; mov x2, x3 \n"},
                   {u"\tmov x0, #'/' // c\n", u"\tmov x0, #'/' \n"}});
    for (const Language hash : {Language::GasRiscv, Language::GasX86, Language::GasMips,
                                Language::GasXtensa, Language::GasNios2}) {
        ExpectCleaned(hash,
                      {{u"\taddi a0,a0,1; sw ra,0(sp) # c\n", u"\taddi a0,a0,1; sw ra,0(sp) \n"},
                       {u"\t.ascii \"#;\" # c\n", u"\t.ascii \"#;\" \n"},
                       {u"\tli a0, '# # c\n", u"\tli a0, '# \n"}});
    }
    for (const Language semicolon : {Language::GasAvr, Language::GasMsp430}) {
        ExpectCleaned(semicolon, {{u"\tldi r16, ';' ; c\n# whole\n", u"\tldi r16, ';' \n\n"},
                                  {u"\tmov.w #1, r4 /* c */\n", u"\tmov.w #1, r4 \n"}});
    }
}

// Preprocessed, the C preprocessor's comments and directive lines come first.
TEST(Dialects, PreprocessedGnuAsKeepsDirectiveLinesAndRemovesCComments) {
    ExpectCleaned(
        Language::GasArmCpp,
        {{u"#include <asm/a//b.h>\n#define X 1 // c\n# not a directive\n",
          u"#include <asm/a//b.h>\n#define X 1 \n\n"},
         {u"\tmovs r0, #'@ @ c\n#if X /* c */\n#endif\n", u"\tmovs r0, #'@ \n#if X \n#endif\n"},
         {u"\tldr r0, =1 @ a \\\n continued\n", u"\tldr r0, =1 \n"}});
    ExpectCleaned(Language::GasRiscvCpp, {{u"# 12 \"start.S\"\n# 9\n#ifdef A\n\tli a0, 1 # c\n",
                                           u"# 12 \"start.S\"\n# 9\n#ifdef A\n\tli a0, 1 \n"}});
    ExpectCleaned(Language::AnyGasCpp, {{u"\tldr r1,=a ; ldr r2,=b @ kept # kept // gone\n",
                                         u"\tldr r1,=a ; ldr r2,=b @ kept # kept \n"}});
}

// The ; assemblers, each with its own literals and what it keeps as code.
TEST(Dialects, SemicolonAssemblersKeepTheirLiteralsAndTheirCodeLines) {
    ExpectCleaned(Language::Assembler,
                  {{u"\tDB 'Hello; world',0 ; c\n", u"\tDB 'Hello; world',0 \n"},
                   {u"\tCJNE A,#';',NEXT ; c\n", u"\tCJNE A,#';',NEXT \n"}});
    ExpectCleaned(Language::A51, {{u"$NOMOD51 ; control ; line\n\tCJNE A,#';',L ; c\n",
                                   u"$NOMOD51 ; control ; line\n\tCJNE A,#';',L \n"}});
    ExpectCleaned(Language::Sdas, {{u"\tmov a,#'; ; c\n", u"\tmov a,#'; \n"}});
    ExpectCleaned(Language::Pic, {{u"\tretlw ';' ; c\n\tdt \"a\\\";\" ; c\n",
                                   u"\tretlw ';' \n\tdt \"a\\\";\" \n"}});
    ExpectCleaned(Language::AvrAtmel,
                  {{u"\tldi r16, ';' // c\n\t/* c */ nop ; c\n", u"\tldi r16, ';' \n\t nop \n"}});
    ExpectCleaned(Language::Nasm, {{u"\tmov al, ';' ; c\n\tdb `a;\\`b`, \"c;\" ; d\n",
                                    u"\tmov al, ';' \n\tdb `a;\\`b`, \"c;\" \n"},
                                   {u"\tmov eax, 4/*2 ; c\n", u"\tmov eax, 4/*2 \n"}});
    ExpectCleaned(
        Language::Masm,
        {{u"\tdb 'it''s; here' ; c\n", u"\tdb 'it''s; here' \n"},
         {u"COMMENT ^ all of this\n is comment ^ and this\n\tmov ax, 1 ; c\n", u"\n\tmov ax, 1 \n"},
         {u"  comment * x * y\nnop\n", u"  \nnop\n"},
         // No delimiter on the line, or one that never comes again: no comment of that kind.
         {u"COMMENT \r\nnop ; c\r\nnop\r\n", u"COMMENT \r\nnop \r\nnop\r\n"},
         {u"COMMENT ^ open\nnop ; c\n", u"COMMENT ^ open\nnop \n"},
         {u"nop\ncomment  ", u"nop\ncomment  "}});
    ExpectCleaned(Language::Iar,
                  {{u"\tMOV R0, #';' // c\n\tNOP /* c */ ; d\n", u"\tMOV R0, #';' \n\tNOP  \n"}});
    ExpectCleaned(Language::Armasm, {{u"\tMOV r0, #';' ; c\n\tDCB \"a;b\" ; d\n",
                                      u"\tMOV r0, #';' \n\tDCB \"a;b\" \n"}});
    ExpectCleaned(Language::AnyAsm, {{u"\tdb 'a;b', `c;d`, \"e;f\" /* kept */ ; gone\n",
                                      u"\tdb 'a;b', `c;d`, \"e;f\" /* kept */ \n"}});
    ExpectCleaned(Language::AnyS,
                  {{u"\tadd a0,a0,1; x @ y # z // w\n", u"\tadd a0,a0,1; x @ y # z // w\n"}});
}

// A type several dialects share is read as its text shows; where it shows nothing, or shows two
// dialects as strongly, as what they all have in common.
TEST(Dialects, ASharedTypeIsReadAsItsTextShows) {
    const auto reading = [](std::u16string_view name, std::u16string_view text) {
        return engine::ReadingOfFile(name, text).value();
    };
    using R = engine::Reading;
    EXPECT_EQ(reading(u"boot.s", u"\t.syntax unified\n\t.thumb\n\tbx lr\n"), (R{Language::GasArm}));
    EXPECT_EQ(reading(u"start.S", u"\tcsrr t0, mstatus\n\tmret\n"), (R{Language::GasRiscvCpp}));
    EXPECT_EQ(reading(u"a.s", u"\tpushq %rbp\n\tmovq %rsp, %rbp\n"), (R{Language::GasX86}));
    // In GNU as ; parts statements: what follows it is code, and its words count.
    EXPECT_EQ(reading(u"a.s", u"\tnop ; .thumb ; bx lr\n"), (R{Language::GasArm}));
    for (const std::u16string_view name : {u"a.S", u"a.sx"}) {
        EXPECT_EQ(reading(name, u"\tnop ; csrr t0, mstatus ; mret\n"), (R{Language::GasRiscvCpp}));
    }
    EXPECT_EQ(reading(u"a.s", u"\tstp x29, x30, [sp]\n\tadrp x0, a\n"), (R{Language::GasAarch64}));
    EXPECT_EQ(reading(u"a.s", u"\tRSEG CODE:CODE\n\tPUBLIC f\n\tEXTERN g\n"), (R{Language::Iar}));
    EXPECT_EQ(reading(u"a.s", u"\tAREA |.text|, CODE\n\tEXPORT f\n\tPRESERVE8\n"),
              (R{Language::Armasm}));
    // A word holds its marks: registers of % and $, directives of %, names of _.
    EXPECT_EQ(reading(u"a.s", u"\tmov %eax, %ebx\n\tadd %ecx, %edx\n"), (R{Language::GasX86}));
    EXPECT_EQ(reading(u"a.s", u"\tmove $v0, $zero\n\tlw $t0, 4($sp)\n"), (R{Language::GasMips}));
    EXPECT_EQ(reading(u"a.asm", u"%define N 4\n%macro m 0\n%endmacro\n"), (R{Language::Nasm}));
    EXPECT_EQ(reading(u"a.asm", u"\t__config 0x3F\n\t__maxram 0x1FF\n"), (R{Language::Pic}));
    // Words are read whatever their letters' case.
    EXPECT_EQ(reading(u"a.asm", u"\t.DATA\n\tASSUME DS:DATA\n"), (R{Language::Masm}));
    EXPECT_EQ(reading(u"a.s", u"\tCMP XZR, WZR\n"), (R{Language::GasAarch64}));
    EXPECT_EQ(reading(u"a.s", u"\tcmp xzr, wzr\n"), (R{Language::GasAarch64}));
    EXPECT_EQ(reading(u"a.asm", u"bits 32\nsection .text\n\tresb 4\n"), (R{Language::Nasm}));
    EXPECT_EQ(reading(u"a.asm", u".model small\n.code\nmain proc\nmain endp\n"),
              (R{Language::Masm}));
    EXPECT_EQ(reading(u"a.asm", u"\tmovlw 1\n\tmovwf 0x20\n\tbanksel 0\n"), (R{Language::Pic}));
    EXPECT_EQ(reading(u"P16F84.INC", u"\tmovlw 1\n\tmovwf 0x20\n"), (R{Language::Pic}));
    EXPECT_EQ(reading(u"BOOT.ASM", u"bits 16\n\tresb 2\n"), (R{Language::Nasm}));
    EXPECT_EQ(reading(u"a.inc", u".equ X = 1\n.def t = r16\n\tldi r16, 1\n"),
              (R{Language::AvrAtmel}));
    EXPECT_EQ(reading(u"a.asm", u"\t.area CSEG (CODE)\n\t.module m\n"), (R{Language::Sdas}));
    EXPECT_EQ(reading(u"a.asm", u"$NOMOD51\n\tCSEG AT 0\n\tLJMP X\n\tDJNZ R7,L\n"),
              (R{Language::A51}));
    // Words in comments are prose, no evidence.
    EXPECT_EQ(reading(u"a.asm", u"; bits resb times\n\tMOV A,#1\n"), (R{Language::Assembler}));
    EXPECT_EQ(reading(u"a.s", u"/* pushq %rbp\n movq */ // csrr mret\n\tnop\n"),
              (R{Language::AnyS, true}));
    EXPECT_EQ(reading(u"A.ASM", u"\tMOV A,#1\n"), (R{Language::Assembler}));
    EXPECT_EQ(reading(u"a.asm", u"bits 32\nresb 1\n.model small\n.code\n"),
              (R{Language::AnyAsm, true}));
    EXPECT_EQ(reading(u"a.s", u"\tnop\n"), (R{Language::AnyS, true}));
    EXPECT_EQ(reading(u"a.S", u"\tnop\n"), (R{Language::AnyGasCpp, true}));
    EXPECT_EQ(reading(u"a.A51", u"\tnop\n"), (R{Language::A51}));
}

// What the readings of undecided texts leave is a comment in every dialect of their type.
TEST(Dialects, TheCommonReadingsRemoveOnlyWhatEveryDialectOfTheTypeCallsAComment) {
    const auto leaders = [](Language language) {
        const engine::LanguageRow& row = engine::RowOf(language);
        std::u16string all = std::u16string(row.markers[0]) + u" " + std::u16string(row.markers[1]);
        for (const engine::LineLeader& leader : row.rules.MoreLineLeaders) {
            if (!leader.text.empty()) {
                all += u" " + std::u16string(leader.text) + (leader.lineStartOnly ? u"^" : u"");
            }
        }
        return all;
    };
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        const bool asmType =
            std::find(row.extensions.begin(), row.extensions.end(), u"asm") != row.extensions.end();
        if (asmType && row.language != Language::Assembler) {
            EXPECT_EQ(row.markers[0], u";") << row.name;  // the only leader the common reading has
        }
    }
    EXPECT_EQ(leaders(Language::AnyAsm), u"; ");
    EXPECT_EQ(leaders(Language::AnyS), u" ");
    EXPECT_EQ(leaders(Language::AnyGasCpp), u"// /* //");
}

}  // namespace
