// Key pairs for tests only (never a publisher's key): the release key that test
// builds check against, and another that signs what must be refused. Hexadecimal,
// public keys X then Y, secrets d.
#pragma once

const char TEST_RELEASE_PUBLIC_KEY[] =
    "fed8485d5d617e5a62fa7b24be278ae6255c2f9de94f021f0f801d661e91a28b"
    "453439feff4c7d29a54de60d9247e95a550f51c70470f31ff7dd07f4b62e5a6c";
const char TEST_RELEASE_SECRET[] = "9a805d39e0d7a8cff60ab0071a6186bb93b063f6f0a1dff19395675b83082a9e";

const char OTHER_RELEASE_PUBLIC_KEY[] =
    "f6087b091726ffbbf63fd5ee71b711cf058a5b2a4b508977d8461f1cceb9cf0e"
    "7f38ced56f303bc79e6f5e5538afed6e2d2215d6c44f1b5b11c4ab7e5f260cd0";
const char OTHER_RELEASE_SECRET[] = "61f47cdc854b657db3ce5d3886e0fcc6c9acbc03f52b7630618c078da8f529d5";

// The signature OpenSSL made with the test key over "KQZV00000101 00000000", r then s.
const char OPENSSL_RECORD_SIGNATURE[] =
    "dca985a7e78592a7a0a1da17f764505b4a1f17e39efad7d3a4758a1b6e9bc5fa"
    "0df1dd4983ac15f475287836f98ec9c0770999a9efc3a6f3aeccdd3d75c4c87a";
