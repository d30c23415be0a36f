// The store's fallback names as it holds them, in code page 932: "サンプル設定" and
// "読み込み失敗Default設定"; what profileName holds when a profile cannot be read.
#pragma once

inline constexpr char kSampleName932[] = "\x83\x54\x83\x93\x83\x76\x83\x8b\x90\xdd\x92\xe8";
inline constexpr char kLoadFailedName932[] =
    "\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\xb8\x94\x73" "Default" "\x90\xdd\x92\xe8";
