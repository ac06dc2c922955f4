#include "EngineTestUtil.h"
#include "engine/Crc64.h"
#include "engine/CryptoErrors.h"
#include "engine/RsaBlob.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/LittleEndian.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdlib>

using namespace mvx;
using namespace mvx::test;

namespace {

std::vector<uint8_t> keyFileBytes(const std::vector<uint8_t>& blob, const std::vector<uint8_t>& extra = {})
{
    std::vector<uint8_t> file(4);
    putLe32(file.data(), static_cast<uint32_t>(blob.size()));
    file.insert(file.end(), blob.begin(), blob.end());
    file.insert(file.end(), extra.begin(), extra.end());
    return file;
}

// One generated key pair shared by the tests of this program.
EVP_PKEY* sharedKey()
{
    static EvpPkeyPtr key = RsaBlob::generate(1024);
    return key.get();
}

int runCommand(const std::string& cmd) { return std::system((cmd + " 2>/dev/null").c_str()); }

} // namespace

TEST(RsaBlob, RoundTripsBothLayouts)
{
    auto pub = RsaBlob::exportPublic(sharedKey());
    auto priv = RsaBlob::exportPrivate(sharedKey());
    ASSERT_EQ(pub.size(), 148u);
    ASSERT_EQ(priv.size(), 596u);
    EXPECT_EQ(pub[0], 6);
    EXPECT_EQ(priv[0], 7);
    EXPECT_EQ(getLe32(pub.data() + 4), 0xA400u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pub.data() + 8), 4), "RSA1");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(priv.data() + 8), 4), "RSA2");
    EXPECT_EQ(getLe32(pub.data() + 12), 1024u);
    // The modulus is shared by both blobs.
    EXPECT_TRUE(std::equal(pub.begin() + 8 + 12, pub.end(), priv.begin() + 20));

    auto pubAgain = RsaBlob::importBlob(pub.data(), pub.size());
    auto privAgain = RsaBlob::importBlob(priv.data(), priv.size());
    ASSERT_TRUE(pubAgain && privAgain);
    EXPECT_EQ(RsaBlob::exportPublic(pubAgain.get()), pub);
    EXPECT_EQ(RsaBlob::exportPrivate(privAgain.get()), priv);
    EXPECT_TRUE(RsaBlob::exportPrivate(pubAgain.get()).empty());
}

TEST(RsaBlob, DamagedBlobsAreRefused)
{
    auto pub = RsaBlob::exportPublic(sharedKey());
    auto shorter = pub;
    shorter.pop_back();
    EXPECT_FALSE(RsaBlob::importBlob(shorter.data(), shorter.size()));
    auto wrongAlg = pub;
    wrongAlg[5] = 0x24;  // signature algorithm, not key exchange
    EXPECT_FALSE(RsaBlob::importBlob(wrongAlg.data(), wrongAlg.size()));
    auto wrongMagic = pub;
    wrongMagic[11] = '2';
    EXPECT_FALSE(RsaBlob::importBlob(wrongMagic.data(), wrongMagic.size()));
    EXPECT_FALSE(RsaBlob::importBlob(pub.data(), 10));
}

TEST(RsaKeyWrapper, EncryptDecryptAndOneShotRelease)
{
    TempDir dir;
    writeFile(dir.file("a.kpub"), keyFileBytes(RsaBlob::exportPublic(sharedKey())));
    writeFile(dir.file("a.kpri"), keyFileBytes(RsaBlob::exportPrivate(sharedKey()), std::vector<uint8_t>(48, 1)));
    std::vector<uint8_t> plain(112);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<uint8_t>(i);

    RsaKeyWrapper w;
    ASSERT_EQ(w.loadFromFile(dir.file("a.kpub")), 1);
    std::vector<uint8_t> cipher;
    ASSERT_EQ(w.encrypt(plain.data(), plain.size(), cipher), 1);
    EXPECT_EQ(cipher.size(), 128u);
    EXPECT_FALSE(w.isLoaded());
    std::vector<uint8_t> again;
    EXPECT_EQ(w.encrypt(plain.data(), plain.size(), again), 0) << "a released wrapper must not encrypt";

    ASSERT_EQ(w.loadFromFile(dir.file("a.kpri")), 1);
    std::vector<uint8_t> back;
    ASSERT_EQ(w.decrypt(cipher.data(), cipher.size(), back), 1);
    EXPECT_EQ(back, plain);
}

TEST(RsaKeyWrapper, LengthLimits)
{
    std::vector<uint8_t> data(257, 1), out;
    RsaKeyWrapper w;
    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPublic(sharedKey())), 1);
    EXPECT_EQ(w.encrypt(data.data(), 257, out), 0);
    EXPECT_TRUE(out.empty());

    std::string reported;
    CryptoErrors::setSink([&](const std::string& text) { reported = text; });
    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPublic(sharedKey())), 1);
    EXPECT_EQ(w.encrypt(data.data(), 256, out), 0);  // accepted by the wrapper, too long for RSA-1024
    EXPECT_FALSE(reported.empty());
    CryptoErrors::setSink(nullptr);

    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPrivate(sharedKey())), 1);
    EXPECT_EQ(w.decrypt(data.data(), 257, out), 0);
}

TEST(RsaKeyWrapper, WrongKeyFailsToDecrypt)
{
    EvpPkeyPtr other = RsaBlob::generate(1024);
    std::vector<uint8_t> plain(32, 7), cipher, back;
    RsaKeyWrapper w;
    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPublic(sharedKey())), 1);
    ASSERT_EQ(w.encrypt(plain.data(), plain.size(), cipher), 1);
    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPrivate(other.get())), 1);
    int ok = w.decrypt(cipher.data(), cipher.size(), back);
    EXPECT_TRUE(ok == 0 || back != plain);
}

// The ciphertext is stored byte-reversed: the openssl command reads it after reversal.
TEST(RsaKeyWrapper, CiphertextByteOrderMatchesOpenSslCommand)
{
    if (runCommand("openssl version >/dev/null") != 0)
        GTEST_SKIP() << "openssl command not installed";
    TempDir dir;
    {
        FILE* f = std::fopen(dir.file("key.pem").c_str(), "w");
        ASSERT_TRUE(f);
        PEM_write_PrivateKey(f, sharedKey(), nullptr, nullptr, 0, nullptr, nullptr);
        std::fclose(f);
    }
    std::vector<uint8_t> plain = {'m', 'o', 'r', 'v', 'a', 'n', 'e', 'x'};
    std::vector<uint8_t> cipher;
    RsaKeyWrapper w;
    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPublic(sharedKey())), 1);
    ASSERT_EQ(w.encrypt(plain.data(), plain.size(), cipher), 1);
    std::vector<uint8_t> reversed(cipher.rbegin(), cipher.rend());
    writeFile(dir.file("c.bin"), reversed);
    ASSERT_EQ(runCommand("openssl pkeyutl -decrypt -inkey " + dir.file("key.pem") + " -in " + dir.file("c.bin") +
                         " -out " + dir.file("p.bin") + " -pkeyopt rsa_padding_mode:pkcs1"),
              0);
    EXPECT_EQ(readFile(dir.file("p.bin")), plain);

    // And the other way round: openssl's octet string, reversed, decrypts here.
    writeFile(dir.file("p2.bin"), plain);
    ASSERT_EQ(runCommand("openssl pkeyutl -encrypt -inkey " + dir.file("key.pem") + " -in " + dir.file("p2.bin") +
                         " -out " + dir.file("c2.bin") + " -pkeyopt rsa_padding_mode:pkcs1"),
              0);
    auto c2 = readFile(dir.file("c2.bin"));
    std::vector<uint8_t> c2rev(c2.rbegin(), c2.rend()), back;
    ASSERT_EQ(w.loadFromMemory(RsaBlob::exportPrivate(sharedKey())), 1);
    ASSERT_EQ(w.decrypt(c2rev.data(), c2rev.size(), back), 1);
    EXPECT_EQ(back, plain);
}

TEST(RsaKeyWrapper, KeyFileFramingAndFingerprint)
{
    auto blob = RsaBlob::exportPublic(sharedKey());
    auto plainFile = keyFileBytes(blob);
    auto withData = keyFileBytes(blob, std::vector<uint8_t>(136, 0x55));
    EXPECT_EQ(RsaKeyWrapper::blobFromKeyFileBytes(plainFile), blob);
    EXPECT_EQ(RsaKeyWrapper::blobFromKeyFileBytes(withData), blob);
    const auto a = RsaKeyWrapper::blobFromKeyFileBytes(plainFile);
    const auto b = RsaKeyWrapper::blobFromKeyFileBytes(withData);
    EXPECT_EQ(keyFingerprint(a.data(), a.size()), keyFingerprint(b.data(), b.size()));

    // A length beyond the file, or no length at all, gives no blob.
    auto forged = plainFile;
    putLe32(forged.data(), 100000);
    EXPECT_TRUE(RsaKeyWrapper::blobFromKeyFileBytes(forged).empty());
    EXPECT_TRUE(RsaKeyWrapper::blobFromKeyFileBytes(std::vector<uint8_t>{1, 2}).empty());

    TempDir dir;
    RsaKeyWrapper w;
    EXPECT_EQ(w.loadFromFile(dir.file("missing.kpub")), 0);
    writeFile(dir.file("forged.kpub"), forged);
    EXPECT_EQ(w.loadFromFile(dir.file("forged.kpub")), 0);
}
