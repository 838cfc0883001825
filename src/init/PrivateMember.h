#ifndef GLOSSPIN_INIT_PRIVATEMEMBER_H
#define GLOSSPIN_INIT_PRIVATEMEMBER_H

// Access to a member the toolkit keeps private, through the explicit-
// instantiation rule, which permits naming private members in template
// arguments. A tag type in the global namespace names the member's
// pointer type:
//
//   struct FpTag { typedef FILE *SoOutput::*type; friend type memberOf(FpTag); };
//   template struct GspPrivateMember<FpTag, &SoOutput::fp>;
//   ... out->*memberOf(FpTag()) ...
template <typename Tag, typename Tag::type Member>
struct GspPrivateMember {
    friend typename Tag::type memberOf(Tag) { return Member; }
};

#endif
